#include "ui/qt/MainWindowFonts.h"

#include "ui/qt/LayoutPixels.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QRect>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace ondulix::ui::qt {
namespace {

// The faces for one font, best first, and its designed size in pixels of the layout.
//
// "MS Sans Serif" and "Terminal" are Windows bitmap faces, and Debian has no scalable copy of
// either (Wine's "MS Sans Serif" is a bitmap too, and Qt draws only its first size, the 96-dpi
// one). Of the packaged faces measured at 13 pixels against the designed face's character widths
// and the labels' rectangles, Lato is the closest whose captions fit their labels: within 8.7 %
// of the designed widths (root mean square), only the f(x) formula one pixel too wide. Liberation
// Sans (6.1 %) and FreeSans (5.2 %) come closer in width, but "Sin1" to "Sin4" then cover 26
// pixels of their 25-pixel labels. For the markers, Liberation Mono bold puts "peak" in 43 x 20
// of the 45 x 20 pixels the designed "Terminal" filled. Both come from Debian (fonts-lato,
// fonts-liberation2) and are found through fontconfig.
struct FaceChoice {
    QStringList faces;
    bool bold;
    int pixels;
};

const FaceChoice kDialogFaces{{QStringLiteral("MS Sans Serif"), QStringLiteral("Lato")}, false, 13};
const FaceChoice kHeadingFaces{{QStringLiteral("MS Sans Serif"), QStringLiteral("Lato")}, true, 13};
const FaceChoice kPeakFaces{{QStringLiteral("Terminal"), QStringLiteral("Liberation Mono")}, true, 18};

constexpr int kSmallestPixels = 8;

// The first face of the choice that the machine can draw at every size. Asked of the font
// database, which knows without loading a font engine: loading one costs start-up time. Only a
// face the database holds under that name is smoothly scalable, so no lookup of the name through
// the system's aliases (a match by fontconfig for each name, a good part of start-up) is needed.
QFont pick(const FaceChoice& choice, const QFont& platformFace) {
    QFont font = platformFace;
    for (const QString& face : choice.faces) {
        if (QFontDatabase::isSmoothlyScalable(face)) {
            font = QFont(face);
            break;
        }
    }
    font.setBold(choice.bold);
    font.setPixelSize(choice.pixels);
    return font;
}

QString captionOf(const LayoutItem& item) {
    const bool hasCaption = item.kind == ControlKind::Label || item.kind == ControlKind::Button;
    return hasCaption ? QString::fromUtf8(item.caption.data(), static_cast<qsizetype>(item.caption.size()))
                      : QString();
}

// The part of a control its caption may cover, in pixels of the window: what the client area
// leaves visible of it, less a button's bevel and padding.
QRect captionRoom(const LayoutItem& item) {
    const QRect control = toPixels(item.rect);
    const QRect visible = control.intersected(QRect(QPoint(0, 0), clientSizeInPixels()));
    return item.kind == ControlKind::Button ? visible.adjusted(4, 2, -4, -2) : visible;
}

// Where a caption starts, placed as its control places it: headings end at the right edge,
// button captions are centred, other labels start at the left. Only the first two need the
// text's advance.
bool placedByAdvance(const LayoutItem& item) { return item.alignRight || item.kind == ControlKind::Button; }

int originOf(const LayoutItem& item, int advance) {
    const QRect control = toPixels(item.rect);
    return item.alignRight                     ? control.left() + control.width() - advance
           : item.kind == ControlKind::Button ? control.left() + (control.width() - advance) / 2
                                               : control.left();
}

} // namespace

// What a caption's fit depends on, each figure taken when first needed. The glyph boxes shape
// the text; the advance and the ink come from one more shaping, kept in a text layout.
struct MainWindowFonts::Measures {
    int height = 0;
    QRect boxes; // the glyph boxes, rounded outward, from x = 0
    std::unique_ptr<QTextLayout> layout;
    std::optional<int> advance;
    std::optional<std::pair<int, int>> ink; // the first and last column drawn, from x = 0
};

// Found by the text, then the font: a font's key is a string put together at each call, which
// cost as much as the look-ups themselves.
struct MainWindowFonts::Measured {
    QString text;
    QFont font;
    Measures measures;
};

MainWindowFonts::Measures& MainWindowFonts::measures(const QFont& font, const QString& text) {
    const auto found = std::find_if(measured_.begin(), measured_.end(),
                                    [&](const Measured& m) { return m.text == text && m.font == font; });
    if (found != measured_.end())
        return found->measures;
    const QFontMetrics metrics(font);
    return measured_.emplace_back(Measured{text, font, {metrics.height(), metrics.boundingRect(text), {}, {}, {}}})
        .measures;
}

// The caption on one line from x = 0, shaped once.
QTextLine MainWindowFonts::lineOf(const QFont& font, const QString& text) {
    Measures& m = measures(font, text);
    if (!m.layout) {
        m.layout = std::make_unique<QTextLayout>(text, font);
        m.layout->beginLayout();
        m.layout->createLine();
        m.layout->endLayout();
    }
    return m.layout->lineAt(0);
}

int MainWindowFonts::advanceOf(const QFont& font, const QString& text) {
    Measures& m = measures(font, text);
    if (!m.advance)
        m.advance = qRound(lineOf(font, text).horizontalAdvance());
    return *m.advance;
}

// The first and last column the text's pixels cover when it is drawn from x = 0. Drawn rather
// than taken from the font metrics, whose glyph boxes are rounded outward and can claim a column
// no pixel is drawn in: one column decides whether "Sin1" fits its label. Only the glyphs whose
// boxes come near either end of the text can draw its first or last column (a glyph draws
// inside its box, give or take the pixel its place between pixels moves it), so only they are
// drawn, each where the text puts it: a long caption costs no more than a short one.
std::pair<int, int> MainWindowFonts::inkColumns(const QFont& font, const QString& text) {
    Measures& m = measures(font, text);
    if (m.ink)
        return *m.ink;
    struct Placed {
        QRawFont font;
        quint32 glyph;
        QPointF position;
        QRectF box;
    };
    std::vector<Placed> glyphs;
    double left = std::numeric_limits<double>::max();
    double right = std::numeric_limits<double>::lowest();
    const QTextLine line = lineOf(font, text);
    for (const QGlyphRun& run : line.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
            const QRectF box = raw.boundingRect(indexes[i]).translated(positions[i]);
            if (box.isEmpty())
                continue; // a space draws nothing
            glyphs.push_back({raw, indexes[i], positions[i], box});
            left = std::min(left, box.left());
            right = std::max(right, box.right());
        }
    }
    if (glyphs.empty()) {
        m.ink = std::pair{0, -1};
        return *m.ink;
    }
    constexpr double kNearAnEnd = 3.0; // pixels
    const int margin = m.height;
    const int origin = margin - static_cast<int>(std::floor(left));
    QImage image(static_cast<int>(std::ceil(right - left)) + 1 + 2 * margin, 3 * m.height + margin,
                 QImage::Format_Alpha8);
    image.fill(0);
    QPainter painter(&image);
    for (const Placed& g : glyphs) {
        if (g.box.left() >= left + kNearAnEnd && g.box.right() <= right - kNearAnEnd)
            continue;
        QGlyphRun one;
        one.setRawFont(g.font);
        one.setGlyphIndexes({g.glyph});
        one.setPositions({g.position});
        painter.drawGlyphRun(QPointF(origin, margin), one);
    }
    painter.end();
    int first = image.width();
    int last = -1;
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (row[x] != 0) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    m.ink = std::pair{first - origin, last - origin};
    return *m.ink;
}

// Whether every pixel of the caption lands inside its room, placed as its control places it.
bool MainWindowFonts::captionFits(const QFont& font, const LayoutItem& item, const QString& text) {
    const Measures& m = measures(font, text);
    const QRect room = captionRoom(item);
    if (m.height > room.height())
        return false;
    const int origin = originOf(item, placedByAdvance(item) ? advanceOf(font, text) : 0);
    // The glyph boxes, rounded outward, hold the ink: where they fit, so does the ink, and drawing
    // the caption (a font engine for the picture, and its glyphs) is saved. Only captions whose
    // boxes reach past an edge are drawn.
    if (origin + m.boxes.left() >= room.left() && origin + m.boxes.right() <= room.right())
        return true;
    const auto [first, last] = inkColumns(font, text);
    return origin + first >= room.left() && origin + last <= room.right();
}

MainWindowFonts MainWindowFonts::choose() {
    const QFont sans = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Asked of the font database, which knows without loading the face.
    if (!QFontDatabase::isFixedPitch(fixed.family())) {
        // Platforms without a theme may answer with a proportional face; ask by kind instead.
        fixed = QFont(QStringLiteral("monospace"));
        fixed.setStyleHint(QFont::Monospace);
    }
    return MainWindowFonts(pick(kDialogFaces, sans), pick(kHeadingFaces, sans), pick(kPeakFaces, fixed));
}

MainWindowFonts::MainWindowFonts(QFont dialogFont, QFont headingFont, QFont peakFont)
    : dialog(std::move(dialogFont)), heading(std::move(headingFont)), peak(std::move(peakFont)) {}

MainWindowFonts::~MainWindowFonts() = default;

const QFont& MainWindowFonts::forRole(FontRole role) const {
    switch (role) {
    case FontRole::BoldHeading:
        return heading;
    case FontRole::PeakMarker:
        return peak;
    case FontRole::Dialog:
        break;
    }
    return dialog;
}

QFont MainWindowFonts::forControl(const LayoutItem& item) {
    QFont font = forRole(item.font);
    const QString text = captionOf(item);
    if (text.isEmpty() || captionFits(font, item, text))
        return font;
    // Text grows in proportion to its size, give or take hinting: the ratio of room to text gives
    // the size at once, and a measurement confirms it. Each size measured loads a font engine.
    const int designed = font.pixelSize();
    const auto [first, last] = inkColumns(font, text);
    const double ratio = static_cast<double>(captionRoom(item).width()) / std::max(1, last - first + 1);
    int size = std::clamp(static_cast<int>(std::floor(designed * ratio)), kSmallestPixels, designed - 1);
    for (font.setPixelSize(size); size > kSmallestPixels && !captionFits(font, item, text);)
        font.setPixelSize(--size);
    return font;
}

} // namespace ondulix::ui::qt
