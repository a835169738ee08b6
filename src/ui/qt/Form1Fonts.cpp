#include "ui/qt/Form1Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

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

bool captionsFit(const QFont& font, FontRole role) {
    const QFontMetrics metrics(font);
    for (const LayoutItem& item : kForm1Layout) {
        const bool hasCaption = item.kind == ControlKind::Label || item.kind == ControlKind::Button;
        if (!hasCaption || item.font != role || item.caption.empty())
            continue;
        const QSize room = captionRoom(item);
        const QString text = QString::fromUtf8(item.caption.data(), static_cast<qsizetype>(item.caption.size()));
        if (metrics.horizontalAdvance(text) > room.width() || metrics.height() > room.height())
            return false;
    }
    return true;
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
    for (int size = pixels; size >= kSmallestPixels; --size) {
        font.setPixelSize(size);
        if (captionsFit(font, role))
            break;
    }
    return font;
}

} // namespace

Form1Fonts Form1Fonts::choose() {
    const QFont sans = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(fixed).fixedPitch()) {
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
