#include "ui/qt/DisplayConnection.h"

#include <QByteArray>
#include <QtGlobal>

#if defined(ONDULIX_HAS_XCB)
#include <xcb/xcb.h>
#endif

namespace ondulix::ui::qt {

void SendPicturesThroughTheConnection() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

std::optional<std::string> UnreachableXDisplay() {
#if defined(ONDULIX_HAS_XCB)
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty() || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !(platform.isEmpty() || platform.startsWith("xcb")))
        return std::nullopt;
    // The same connection Qt would make (socket, host, authority), opened and closed again.
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool unreachable = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (unreachable)
        return display.toStdString();
#endif
    return std::nullopt;
}

} // namespace ondulix::ui::qt
