// Every text of the window at its designed size, and inside its control.

#include "MainWindowFixture.h"

#include "ui/MainWindowLayout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <set>
#include <utility>
#include <string_view>

namespace ondulix::ui::qt {
namespace {

// Where a control draws its text, in the control's own coordinates, and how it aligns it there.
struct TextPlace {
    QString text;
    QRect room;
    Qt::Alignment alignment;
};

std::optional<TextPlace> textPlace(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return TextPlace{label->text(), label->contentsRect(), label->alignment()};
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return TextPlace{button->text(), button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button),
                         Qt::AlignHCenter};
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        constexpr int kLineEditMargin = 2; // the line edit's own inner margin on either side
        return TextPlace{edit->text(), contents.adjusted(kLineEditMargin, 0, -kLineEditMargin, 0), edit->alignment()};
    }
    return std::nullopt;
}

// The first and last column of the window that the text's pixels cover: the text drawn as the
// control places it, but without the control's clipping, so that a clipped pixel shows.
std::pair<int, int> inkColumnsInWindow(const QWidget& widget, const TextPlace& place) {
    const QFontMetrics metrics(widget.font());
    const int advance = metrics.horizontalAdvance(place.text);
    int origin = place.room.left();
    if (place.alignment & Qt::AlignRight)
        origin = place.room.right() + 1 - advance;
    else if (place.alignment & Qt::AlignHCenter)
        origin = place.room.left() + (place.room.width() - advance) / 2;

    const int margin = 2 * metrics.height();
    QImage image(advance + 2 * margin, 3 * metrics.height(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(widget.font());
    painter.setPen(Qt::black);
    painter.drawText(margin, metrics.height() + metrics.ascent(), place.text);
    painter.end();
    int first = image.width();
    int last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    const int shift = widget.mapToParent(QPoint(origin, 0)).x() - margin;
    return {first + shift, last + shift};
}

int designedPixels(FontRole role) { return role == FontRole::PeakMarker ? 18 : 13; }

// The faces chosen as closest to the designed ones (see MainWindowFonts), from fonts-lato and
// fonts-liberation2.
QString expectedFace(FontRole role) {
    return role == FontRole::PeakMarker ? QStringLiteral("Liberation Mono") : QStringLiteral("Lato");
}

TEST_F(MainWindowTest, EveryTextIsAtItsDesignedSizeAndFitsItsControl) {
    // The captions too wide for their control at the designed size, which shrink alone.
    const std::set<std::string_view> mustShrink = {
        "Label7", // the formula "f(x)=sin1(x+x1)+...", as wide as the preview under it
    };
    window->show();
    int texts = 0;
    for (const LayoutItem& item : kMainWindowLayout) {
        const auto* widget = window->control<QWidget>(controlName(item));
        const auto place = widget ? textPlace(*widget) : std::nullopt;
        if (!place || place->text.isEmpty())
            continue;
        ++texts;
        const std::string name = controlName(item);
        const QFontInfo font(widget->font());
        EXPECT_EQ(font.family(), expectedFace(item.font)) << name;
        EXPECT_EQ(font.bold(), item.font != FontRole::Dialog) << name;
        if (mustShrink.contains(item.name))
            EXPECT_LT(font.pixelSize(), designedPixels(item.font)) << name << " fits at the designed size now";
        else
            EXPECT_EQ(font.pixelSize(), designedPixels(item.font)) << name;

        // Inside the control, and inside the part of it the window shows ("Tables" starts left of
        // the window's edge).
        const QRect room = place->room.translated(widget->pos()).intersected(window->rect());
        const auto [first, last] = inkColumnsInWindow(*widget, *place);
        EXPECT_GE(first, room.left()) << name << ": " << place->text.toStdString();
        EXPECT_LE(last, room.right()) << name << ": " << place->text.toStdString();
        EXPECT_LE(QFontMetrics(widget->font()).height(), room.height()) << name;
    }
    EXPECT_EQ(texts, 35 + 4 + 32); // the boxes, the buttons, the labels with a caption
}

} // namespace
} // namespace ondulix::ui::qt
