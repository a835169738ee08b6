#include "ui/qt/DisplayConnection.h"

#include <QByteArray>
#include <QtGlobal>

namespace ondulix::ui::qt {

void SendPicturesThroughTheConnection() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace ondulix::ui::qt
