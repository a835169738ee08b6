#include "ui/qt/QtFileStore.h"

#include <QSaveFile>

namespace ondulix::ui::qt {

std::optional<std::string> QtFileStore::replaceFile(const std::string& path, std::string_view bytes) {
    QSaveFile file(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    // Binary: the CR LF line ends are part of the bytes and must not be translated.
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString().toStdString();
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason.toStdString();
    }
    if (!file.commit())
        return file.errorString().toStdString();
    return std::nullopt;
}

} // namespace ondulix::ui::qt
