#pragma once

#include "ui/MainWindowLayout.h"

#include <QFont>
#include <QString>

#include <list>
#include <utility>

class QTextLine;

namespace ondulix::ui::qt {

// The window's three fonts, each at its designed size: 8 pt, 7.8 pt bold and 10.8 pt bold at the
// layout's 120 dots per inch, that is 13, 13 and 18 pixels of the layout. The face is the designed
// one where the machine can draw it at that size, else the packaged face whose measured metrics
// come closest to it, else the platform's sans-serif or fixed-pitch face. Sizes are in pixels of
// the layout, so the text keeps its proportion to the controls at any screen resolution.
//
// A caption too wide for its control even so gets a smaller font of its own; every other caption
// keeps the designed size. Each text is measured once in each font: the window repeats captions.
class MainWindowFonts {
public:
    static MainWindowFonts choose();
    MainWindowFonts(QFont dialogFont, QFont headingFont, QFont peakFont);
    ~MainWindowFonts();

    const QFont& forRole(FontRole role) const;

    // The font of one control: its role's font, or, for a caption that does not fit its control
    // at that size, the same face shrunk until it does.
    QFont forControl(const LayoutItem& item);

    const QFont dialog;  // every control without a font of its own
    const QFont heading; // bold, "Tables" and "Preview "
    const QFont peak;    // bold fixed-pitch, the two overflow markers

private:
    struct Measures;
    struct Measured;

    Measures& measures(const QFont& font, const QString& text);
    QTextLine lineOf(const QFont& font, const QString& text);
    int advanceOf(const QFont& font, const QString& text);
    std::pair<int, int> inkColumns(const QFont& font, const QString& text);
    bool captionFits(const QFont& font, const LayoutItem& item, const QString& text);

    std::list<Measured> measured_; // each text measured in each font: a few dozen
};

} // namespace ondulix::ui::qt
