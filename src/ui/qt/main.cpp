// Ondulix: four integer sine tables, their plots, an animated preview of their sum, and an export
// as C arrays or C64 assembler bytes. One window; everything else happens inside it.

#include "ui/qt/DisplayConnection.h"
#include "ui/qt/MainWindow.h"

#include <QApplication>

#include <cstdio>

namespace {

// What the window needs and how to get it without a desktop, after the line that says what is
// missing.
constexpr const char* kNeedsADisplay =
    "Ondulix is a desktop program and needs a graphical display to open its window.\n"
    "On a machine without one, run it in a virtual X display (Debian package xvfb):\n"
    "    xvfb-run ./scripts/run\n";

} // namespace

int main(int argc, char* argv[]) {
    // On X11 and Wayland desktops a missing display makes Qt abort with a message about platform
    // plugins that says little to a user; say what is needed instead.
    const auto choice = ondulix::ui::qt::ChosenDisplay(argc, argv);
    if (ondulix::ui::qt::HasNoDisplay(choice)) {
        std::fprintf(stderr, "ondulix: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n%s",
                     kNeedsADisplay);
        return 2;
    }
    if (const auto display = ondulix::ui::qt::UnreachableXDisplay(choice)) {
        std::fprintf(stderr, "ondulix: cannot reach the display \"%s\" (no X server there lets it in).\n%s",
                     display->c_str(), kNeedsADisplay);
        return 2;
    }

    ondulix::ui::qt::SendPicturesThroughTheConnection();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondulix"));
    QApplication::setApplicationVersion(QStringLiteral(ONDULIX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("ondulix"));

    ondulix::ui::qt::MainWindow window;
    window.show();
    return QApplication::exec();
}
