#pragma once

#include <optional>
#include <string>

namespace ondulix::ui::qt {

// On X11, Qt hands each repaint to the server through shared memory and, before the next paint
// of the same pixels, waits a round trip for the server to have read them; its reply wakes a
// second thread on the way. The window's pictures are small and its preview repaints at the
// display's refresh rate for as long as the window is open, so that wait and wake-up cost the
// process several times more than sending the few changed rows through the connection itself.
// This makes Qt send them so. Call it before the application object opens the display; a choice
// the user made in the environment (QT_XCB_NO_MITSHM) stands.
void SendPicturesThroughTheConnection();

// Where Qt will draw, from the environment and from the options Qt itself takes on the command
// line (-platform NAME, -display NAME, also written with two dashes), which override it.
struct DisplayChoice {
    std::string platform; // QT_QPA_PLATFORM or -platform; empty: Qt's own choice
    std::string xDisplay; // DISPLAY or -display
    bool waylandSession = false;
};
DisplayChoice ChosenDisplay(int argc, const char* const argv[]);

// Whether Qt would find no display at all: no platform chosen and neither an X nor a Wayland
// display in the environment.
bool HasNoDisplay(const DisplayChoice& choice);

// The X display Qt is about to open when no server there lets this program in, for a message
// that says so; Qt itself would end the program with an abort and a message about its platform
// plugins. Nothing when the display answers, or when Qt will use another platform.
std::optional<std::string> UnreachableXDisplay(const DisplayChoice& choice);

} // namespace ondulix::ui::qt
