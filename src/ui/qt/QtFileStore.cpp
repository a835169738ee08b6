#include "ui/qt/QtFileStore.h"

#include <QSaveFile>

namespace ondulix::ui::qt {

std::optional<std::string> QtFileStore::replaceFile(const std::string& path, std::string_view bytes) {
    QSaveFile file(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    // Unbuffered, so that every write reaches the file at once and a failing one is seen here:
    // a buffered write that fails only when the buffer is flushed at commit() goes unnoticed by
    // QSaveFile, which then puts the truncated copy in place of the old file. Binary, because the
    // CR LF line ends are part of the bytes.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString().toStdString();
    // A write may stop short without an error (the disk filled up part way); the next attempt
    // then fails and says why.
    const auto size = static_cast<qint64>(bytes.size());
    for (qint64 written = 0; written < size;) {
        const qint64 n = file.write(bytes.data() + written, size - written);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason.toStdString();
        }
        written += n;
    }
    if (!file.commit())
        return file.errorString().toStdString();
    return std::nullopt;
}

} // namespace ondulix::ui::qt
