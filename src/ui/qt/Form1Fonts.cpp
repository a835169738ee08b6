#include "ui/qt/Form1Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ondulix::ui::qt {
namespace {

// Point sizes of the design at its 120 dots per inch, in pixels: 8 pt, 7.8 pt and 10.8 pt.
constexpr int kDialogPixels = 13;
constexpr int kHeadingPixels = 13;
constexpr int kPeakPixels = 18;
constexpr int kSmallestPixels = 8;

// Room a caption leaves inside its control: buttons lose their bevel and a little padding.
QSize captionRoom(const LayoutItem& item) {
    const int width = item.rect.width / kTwipsPerPixel;
    const int height = item.rect.height / kTwipsPerPixel;
    if (item.kind == ControlKind::Button)
        return {width - 8, height - 4};
    return {width, height};
}

// How much the role's captions could grow (above 1) or must shrink (below 1) to fit their
// controls in this font: the tightest ratio of room to text over all of them.
double fitRatio(const QFont& font, FontRole role) {
    const QFontMetrics metrics(font);
    double ratio = std::numeric_limits<double>::infinity();
    for (const LayoutItem& item : kForm1Layout) {
        const bool hasCaption = item.kind == ControlKind::Label || item.kind == ControlKind::Button;
        if (!hasCaption || item.font != role || item.caption.empty())
            continue;
        const QSize room = captionRoom(item);
        const QString text = QString::fromUtf8(item.caption.data(), static_cast<qsizetype>(item.caption.size()));
        const int advance = std::max(1, metrics.horizontalAdvance(text));
        ratio = std::min({ratio, static_cast<double>(room.width()) / advance,
                          static_cast<double>(room.height()) / std::max(1, metrics.height())});
    }
    return ratio;
}

bool captionsFit(QFont& font, FontRole role, int pixels) {
    font.setPixelSize(pixels);
    return fitRatio(font, role) >= 1.0;
}

// A size from `pixels` down to the smallest at which the role's captions fit. Every size measured
// costs a font engine, a millisecond or more of start-up where the designed face is missing, so
// instead of stepping down a pixel at a time from the designed size, the ratio measured there
// gives the size directly (text grows in proportion to its size, give or take hinting), and one
// more measurement confirms it; only where it does not fit does the search go on downward.
int fittingSize(QFont& font, FontRole role, int pixels) {
    if (pixels <= kSmallestPixels)
        return pixels;
    font.setPixelSize(pixels);
    const double ratio = fitRatio(font, role);
    if (ratio >= 1.0)
        return pixels;
    int size = std::clamp(static_cast<int>(std::floor(pixels * ratio)), kSmallestPixels, pixels - 1);
    while (size > kSmallestPixels && !captionsFit(font, role, size))
        --size;
    return size;
}

// The designed face when installed, else the fallback face; at the designed size unless its
// captions do not fit, then shrunk until they do.
QFont choose(const QString& designed, QFont fallback, bool bold, int pixels, FontRole role) {
    // Looked up in the font database rather than through QFontInfo, which would load a font
    // engine and, for a missing face, sort every installed font for a substitute: a few
    // milliseconds of the window's start-up for each face.
    QFont font(designed);
    if (!QFontDatabase::hasFamily(designed))
        font = fallback;
    font.setBold(bold);
    font.setPixelSize(fittingSize(font, role, pixels));
    return font;
}

} // namespace

Form1Fonts Form1Fonts::choose() {
    const QFont sans = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Asked of the font database, which knows without loading the face.
    if (!QFontDatabase::isFixedPitch(fixed.family())) {
        // Platforms without a theme may answer with a proportional face; ask by kind instead.
        fixed = QFont(QStringLiteral("monospace"));
        fixed.setStyleHint(QFont::Monospace);
    }
    return {
        .dialog = ondulix::ui::qt::choose(QStringLiteral("MS Sans Serif"), sans, false, kDialogPixels, FontRole::Dialog),
        .heading = ondulix::ui::qt::choose(QStringLiteral("MS Sans Serif"), sans, true, kHeadingPixels,
                                           FontRole::BoldHeading),
        .peak = ondulix::ui::qt::choose(QStringLiteral("Terminal"), fixed, true, kPeakPixels, FontRole::PeakMarker),
    };
}

const QFont& Form1Fonts::forRole(FontRole role) const {
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

} // namespace ondulix::ui::qt
