#pragma once

#include "toolkit/Colour.h"
#include "toolkit/UserScale.h"
#include "ui/FormControls.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace ondulix::ui {

// The main window's blueprint as data: every control with its kind, name, array index, place in
// twips, caption or initial text, colours, font, tab position, and its place among the form's
// controls. The window builder walks this table once, for the Qt window and for the one in
// memory alike; nothing else positions or declares a control. Twips (1/1440 inch) on a 12-twip grid, measured
// from the top-left corner of the client area; 12 twips make one logical pixel.

enum class ControlKind : std::uint8_t {
    Label,
    TextBox,
    CheckBox,
    PictureBox,
    Button,
    Line,         // a static rule drawn on the window background
    Timer,        // not visible
    CommonDialog, // not visible: the save dialog
};

enum class FontRole : std::uint8_t {
    Dialog,      // the window's dialog font
    BoldHeading, // "MS Sans Serif" 7.8 pt bold
    PeakMarker,  // "Terminal" 10.8 pt bold, OEM character set
};

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A line control's ends and its width in pixels.
struct TwipLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int widthPx = 1;
};

// Where a row of the layout takes its place among the form's controls: a single control, or a
// member of a table row (the row's index picks the member). Empty for the controls the logic
// never touches.
using ControlSlot = std::variant<std::monostate,                           //
                                 TableRow<toolkit::TextBox> FormControls::*,  //
                                 toolkit::TextBox* FormControls::*,           //
                                 TableRow<toolkit::CheckBox> FormControls::*, //
                                 TableRow<toolkit::Surface> FormControls::*,  //
                                 toolkit::Surface* FormControls::*,           //
                                 toolkit::Label* FormControls::*,             //
                                 toolkit::Button* FormControls::*,            //
                                 toolkit::Timer* FormControls::*>;

struct LayoutItem {
    std::string_view name;
    ControlKind kind = ControlKind::Label;
    int index = -1; // member of a control array of four when 0 to 3
    TwipRect rect{};
    TwipLine line{};
    std::string_view caption{}; // or the initial text of a text box
    std::optional<toolkit::Colour> back{}; // nothing: the platform's colour for the kind
    std::optional<toolkit::Colour> fore{};
    FontRole font = FontRole::Dialog;
    bool alignRight = false;  // headings: the caption ends at the label's right edge
    int tabIndex = -1;        // position in the tab order; -1 for lines and invisible controls
    bool checked = false;     // check boxes
    bool sunkenBorder = false;                 // picture boxes
    toolkit::UserScale scale{0, 0, 1, 1};      // picture boxes: the initial user scale
    int intervalMs = 0;                        // timer
    ControlSlot slot{};

    bool isBound() const { return !std::holds_alternative<std::monostate>(slot); }
};

// The window itself.
inline constexpr int kClientWidthTwips = 7188;
inline constexpr int kClientHeightTwips = 5736;
inline constexpr int kTwipsPerPixel = 12;
inline constexpr toolkit::Colour kFormBack{128, 128, 128};
inline constexpr toolkit::Colour kFormFore{64, 64, 64};

inline constexpr int kControlCount = 98;
extern const std::array<LayoutItem, kControlCount> kMainWindowLayout;

// The control's name as the window knows it: "txtSinLen(1)" for an array member, "Label23"
// otherwise.
std::string controlName(const LayoutItem& item);

// The layout's row for a control: ("txtSinLen", 2) for an array member, ("picPreview") for a
// single control. Asking for a control the layout does not have is a programming error.
const LayoutItem& layoutItem(std::string_view name, int index = -1);

// The caption banner: "::.." + 24 blanks + "..:: " + centre text + " ::.." + 21 blanks + "..::".
std::string windowCaption();

} // namespace ondulix::ui
