#include "ui/MainWindowLayout.h"

#include "display/PlotColours.h"
#include "engine/PreviewView.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace ondulix::ui {
namespace {

using toolkit::Colour;
using toolkit::UserScale;

constexpr Colour kGrey{128, 128, 128};
constexpr Colour kLightGrey{192, 192, 192};
constexpr Colour kRed{255, 0, 0};
using display::kPlotBack;
constexpr Colour kPlotFore = display::kPlotGreen;

using TextBoxRow = TableRow<toolkit::TextBox> FormControls::*;
using C = FormControls;

constexpr UserScale toUserScale(engine::PreviewScale s) { return {s.left, s.top, s.width, s.height}; }

// A heading or filler of the two light bands: platform label colours, caption right-aligned.
constexpr LayoutItem heading(std::string_view name, std::string_view text, int left, int top, int width, int height,
                              int tab, FontRole font = FontRole::Dialog) {
    return {.name = name, .kind = ControlKind::Label, .rect = {left, top, width, height}, .caption = text,
            .font = font, .alignRight = true, .tabIndex = tab};
}

// A caption on the grey window background: light grey on grey.
constexpr LayoutItem caption(std::string_view name, std::string_view text, int left, int top, int width, int height,
                              int tab) {
    return {.name = name, .kind = ControlKind::Label, .rect = {left, top, width, height}, .caption = text,
            .back = kGrey, .fore = kLightGrey, .tabIndex = tab};
}

constexpr LayoutItem peakMarker(std::string_view name, toolkit::Label* FormControls::*slot, int top, int tab) {
    return {.name = name, .kind = ControlKind::Label, .rect = {3648, top, 540, 240}, .caption = "peak",
            .back = kGrey, .fore = kRed, .font = FontRole::PeakMarker, .tabIndex = tab, .slot = slot};
}

constexpr LayoutItem textBox(std::string_view name, ControlSlot slot, int index, std::string_view text, int left,
                              int top, int width, int height, int tab) {
    return {.name = name, .kind = ControlKind::TextBox, .index = index, .rect = {left, top, width, height},
            .caption = text, .tabIndex = tab, .slot = slot};
}

// The parameter table: seven columns stepping by 864 twips, four rows stepping by 384.
constexpr LayoutItem parameterBox(std::string_view name, TextBoxRow slot, int column, int row, std::string_view text) {
    return textBox(name, slot, row, text, 768 + 864 * column, 480 + 384 * row, 700, 300, 39 + 7 * row + column);
}

constexpr LayoutItem speedBox(int index, std::string_view text, int top) {
    return textBox("txtSinSpeed", &C::txtSinSpeed, index, text, 5376, top, 588, 300, 74 + index);
}

constexpr LayoutItem plot(int index, int left, int tab) {
    return {.name = "SinusPic", .kind = ControlKind::PictureBox, .index = index, .rect = {left, 2304, 1548, 1068},
            .back = kPlotBack, .fore = kPlotFore, .tabIndex = tab, .scale = UserScale{0, 0, 1548, 1068},
            .slot = &C::SinusPic};
}

constexpr LayoutItem checkBox(int index, int top) {
    return {.name = "checkSin", .kind = ControlKind::CheckBox, .index = index, .rect = {4848, top, 204, 300},
            .back = kGrey, .fore = kLightGrey, .tabIndex = 70 + index,
            .checked = engine::kStartUpParticipation[static_cast<std::size_t>(index)], .slot = &C::checkSin};
}

constexpr LayoutItem button(std::string_view name, toolkit::Button* FormControls::*slot, std::string_view text,
                            int top, int tab) {
    return {.name = name, .kind = ControlKind::Button, .rect = {6192, top, 876, 300}, .caption = text,
            .tabIndex = tab, .slot = slot};
}

constexpr LayoutItem rule(std::string_view name, int widthPx, int x1, int y1, int x2, int y2) {
    return {.name = name, .kind = ControlKind::Line, .line = {x1, y1, x2, y2, widthPx}};
}

} // namespace

// clang-format off
const std::array<LayoutItem, kControlCount> kMainWindowLayout{{
    // Zone 1, the top band: fillers and right-aligned column headings, overlapping by 12 twips.
    heading("Label33", "",         -96,  -48, 7284, 156,  2),
    heading("Label23", "Tables",  -144,   96,  828, 204,  3, FontRole::BoldHeading),
    heading("label2",  "Length",   672,   96,  684, 204,  4),
    heading("Label5",  "Offset ", 1344,   96,  876, 204,  5),
    heading("Label6",  "Periods", 2208,   96,  924, 204,  6),
    heading("Label3",  "Minimum", 3120,   96,  876, 204,  7),
    heading("Label4",  "Maximum", 3984,   96,  924, 204,  8),
    heading("Label19", "Origin",  4896,   96,  732, 204,  9),
    heading("Label20", "Range",   5616,   96,  924, 204, 10),
    heading("Label10", "",        6528,   96,  660, 204, 11),

    // Zone 2, the parameter table: a row caption and seven number boxes per table.
    caption("Label15", "Sin1", 192,  528, 300, 204, 20),
    caption("Label16", "Sin2", 192,  912, 300, 204, 19),
    caption("Label17", "Sin3", 192, 1296, 300, 204, 18),
    caption("Label18", "Sin4", 192, 1680, 300, 204, 17),
    parameterBox("txtSinLen",    &C::txtSinLen,    0, 0, "512"),
    parameterBox("txtSinLen",    &C::txtSinLen,    0, 1, "256"),
    parameterBox("txtSinLen",    &C::txtSinLen,    0, 2, "128"),
    parameterBox("txtSinLen",    &C::txtSinLen,    0, 3, "64"),
    parameterBox("txtSinOffs",   &C::txtSinOffs,   1, 0, "0"),
    parameterBox("txtSinOffs",   &C::txtSinOffs,   1, 1, "64"),
    parameterBox("txtSinOffs",   &C::txtSinOffs,   1, 2, "128"),
    parameterBox("txtSinOffs",   &C::txtSinOffs,   1, 3, "192"),
    parameterBox("txtSinWaves",  &C::txtSinWaves,  2, 0, "1"),
    parameterBox("txtSinWaves",  &C::txtSinWaves,  2, 1, "2"),
    parameterBox("txtSinWaves",  &C::txtSinWaves,  2, 2, "4"),
    parameterBox("txtSinWaves",  &C::txtSinWaves,  2, 3, "8"),
    parameterBox("txtSinMin",    &C::txtSinMin,    3, 0, "0"),
    parameterBox("txtSinMin",    &C::txtSinMin,    3, 1, "64"),
    parameterBox("txtSinMin",    &C::txtSinMin,    3, 2, "96"),
    parameterBox("txtSinMin",    &C::txtSinMin,    3, 3, "112"),
    parameterBox("txtSinMax",    &C::txtSinMax,    4, 0, "255"),
    parameterBox("txtSinMax",    &C::txtSinMax,    4, 1, "196"),
    parameterBox("txtSinMax",    &C::txtSinMax,    4, 2, "160"),
    parameterBox("txtSinMax",    &C::txtSinMax,    4, 3, "144"),
    parameterBox("txtSinOrigin", &C::txtSinOrigin, 5, 0, "0"),
    parameterBox("txtSinOrigin", &C::txtSinOrigin, 5, 1, "0"),
    parameterBox("txtSinOrigin", &C::txtSinOrigin, 5, 2, "0"),
    parameterBox("txtSinOrigin", &C::txtSinOrigin, 5, 3, "0"),
    parameterBox("txtSinRange",  &C::txtSinRange,  6, 0, "0"),
    parameterBox("txtSinRange",  &C::txtSinRange,  6, 1, "0"),
    parameterBox("txtSinRange",  &C::txtSinRange,  6, 2, "0"),
    parameterBox("txtSinRange",  &C::txtSinRange,  6, 3, "0"),

    // Zone 3, the table plots, each captioned above its left end.
    caption("Label11", "Sin1",  240, 2112, 300, 204, 21),
    caption("Label12", "Sin2", 2016, 2112, 300, 204, 22),
    caption("Label13", "Sin3", 3696, 2112, 300, 204, 23),
    caption("Label14", "Sin4", 5424, 2112, 300, 204, 24),
    plot(0,  240, 28),
    plot(1, 1968, 27),
    plot(2, 3696, 26),
    plot(3, 5424, 25),

    // Zone 4, the preview header band.
    heading("Label8",  "Preview ",    0, 3552,  780, 204, 12, FontRole::BoldHeading),
    heading("Label9",  "Range",     768, 3552, 3420, 204, 13),
    heading("Label32", "On",       4176, 3552,  876, 204, 14),
    {.name = "Label1", .kind = ControlKind::Label, .rect = {5040, 3552, 828, 204}, .caption = "Add",
     .back = kLightGrey, .alignRight = true, .tabIndex = 15},
    heading("Label22", "",         5856, 3552, 1332, 204, 16),

    // Zone 5, the preview: its title, surface and extents.
    caption("Label7", "f(x)=sin1(x+x1)+sin2(x+x2)+sin3(x+x3)+sin4(x+x4)", 192, 3840, 3372, 204, 29),
    {.name = "picPreview", .kind = ControlKind::PictureBox, .rect = {192, 4128, 3372, 1068},
     .back = kPlotBack, .fore = kPlotFore, .tabIndex = 82, .sunkenBorder = true,
     .scale = toUserScale(engine::kDesignPreviewScale), .slot = &C::picPreview},
    caption("Label21", "Steps:", 2448, 5328, 492, 204, 30),
    textBox("txtPrvXmax", &C::txtPrvXmax, -1, "256",  2976, 5280, 588, 300, 67),
    peakMarker("lblpeakhigh", &C::lblpeakhigh, 3960, 1),
    textBox("txtPrvYmin", &C::txtPrvYmin, -1, "-255", 3648, 4224, 588, 300, 68),
    textBox("txtPrvYmax", &C::txtPrvYmax, -1, "255",  3648, 4752, 588, 300, 69),
    peakMarker("lblpeaklow", &C::lblpeaklow, 5088, 0),

    // Zone 5, the participation rows: caption, check box, step caption, step box.
    caption("Label31", "Sin1", 4464, 3984, 300, 204, 34),
    caption("Label30", "Sin2", 4464, 4368, 300, 204, 33),
    caption("Label29", "Sin3", 4464, 4752, 300, 204, 32),
    caption("Label28", "Sin4", 4464, 5136, 300, 204, 31),
    checkBox(0, 3936),
    checkBox(1, 4320),
    checkBox(2, 4704),
    checkBox(3, 5088),
    caption("Label24", "x1", 5184, 3984, 204, 204, 35),
    caption("Label25", "x2", 5184, 4368, 204, 204, 36),
    caption("Label26", "x3", 5184, 4752, 204, 204, 37),
    caption("Label27", "x4", 5184, 5136, 204, 204, 38),
    speedBox(0, "1", 3936),
    speedBox(1, "3", 4320),
    speedBox(2, "5", 4704),
    speedBox(3, "7", 5088),

    // Zone 5, the buttons.
    button("Command1", &C::cmdWriteFile, "write file", 3936, 78),
    button("Command2", &C::cmdAboutThis, "about this", 4368, 79),
    button("Command3", &C::cmdAboutUs, "about us",   4800, 80),
    button("cmdQuit",  &C::cmdQuit,  "qUiT!",      5232, 81),

    // Rules across the bands, and the dark top and left edges of the five picture boxes (the
    // boxes cover the inner half of each 2-pixel line).
    rule("Line1",  1,    0, 3552, 7200, 3552),
    rule("Line2",  1,    0, 3744, 7200, 3744),
    rule("Line3",  1,    0,  288, 7200,  288),
    rule("Line4",  2, 1968, 2304, 3504, 2304),
    rule("Line5",  2,  240, 2304, 1776, 2304),
    rule("Line6",  2, 3696, 2304, 5232, 2304),
    rule("Line7",  2, 5424, 2304, 6960, 2304),
    rule("Line8",  2,  240, 2304,  240, 3360),
    rule("Line9",  2, 1968, 2304, 1968, 3360),
    rule("Line10", 2, 3696, 2304, 3696, 3360),
    rule("Line11", 2, 5424, 2304, 5424, 3360),
    rule("Line12", 2,  192, 4128,  192, 5184),
    rule("Line13", 2,  192, 4128, 3552, 4128),

    // Not visible.
    {.name = "Timer1", .kind = ControlKind::Timer, .intervalMs = 2, .slot = &C::tmrPreview},
    {.name = "CommonDialog", .kind = ControlKind::CommonDialog},
}};
// clang-format on

std::string controlName(const LayoutItem& item) {
    std::string name(item.name);
    if (item.index >= 0) {
        name += '(';
        name += std::to_string(item.index);
        name += ')';
    }
    return name;
}

std::string windowCaption() {
    return "::.." + std::string(24, ' ') + "..:: " + "Ondulix V1, the sine table tool" + " ::.." +
           std::string(21, ' ') + "..::";
}

const LayoutItem& layoutItem(std::string_view name, int index) {
    const auto found = std::find_if(kMainWindowLayout.begin(), kMainWindowLayout.end(),
                                    [&](const LayoutItem& item) { return item.name == name && item.index == index; });
    if (found == kMainWindowLayout.end())
        throw std::logic_error("the window's layout has no control " + std::string(name) + "(" + std::to_string(index) +
                               "); check the name against the layout table");
    return *found;
}

} // namespace ondulix::ui
