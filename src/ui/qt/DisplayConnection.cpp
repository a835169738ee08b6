#include "ui/qt/DisplayConnection.h"

#include <QByteArray>
#include <QtGlobal>

#include <string_view>

#if defined(ONDULIX_HAS_XCB)
#include <xcb/xcb.h>
#endif

namespace ondulix::ui::qt {

void SendPicturesThroughTheConnection() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

DisplayChoice ChosenDisplay(int argc, const char* const argv[]) {
    DisplayChoice choice{qgetenv("QT_QPA_PLATFORM").toStdString(), qgetenv("DISPLAY").toStdString(),
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")};
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view option = argv[i];
        if (option.starts_with("--"))
            option.remove_prefix(1);
        if (option == "-platform")
            choice.platform = argv[++i];
        else if (option == "-display")
            choice.xDisplay = argv[++i];
    }
    return choice;
}

bool HasNoDisplay(const DisplayChoice& choice) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID) && !defined(Q_OS_IOS)
    return choice.platform.empty() && choice.xDisplay.empty() && !choice.waylandSession;
#else
    return false; // Windows and macOS always have a display
#endif
}

std::optional<std::string> UnreachableXDisplay(const DisplayChoice& choice) {
#if defined(ONDULIX_HAS_XCB)
    const bool qtOpensX = choice.platform.empty() ? !choice.waylandSession : choice.platform.starts_with("xcb");
    if (choice.xDisplay.empty() || !qtOpensX)
        return std::nullopt;
    // The same connection Qt would make (socket, host, authority), opened and closed again.
    xcb_connection_t* connection = xcb_connect(choice.xDisplay.c_str(), nullptr);
    const bool unreachable = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (unreachable)
        return choice.xDisplay;
#endif
    return std::nullopt;
}

} // namespace ondulix::ui::qt
