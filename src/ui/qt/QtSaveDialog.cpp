#include "ui/qt/QtSaveDialog.h"

#include "ui/qt/OpeningClickGuard.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace ondulix::ui::qt {
namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "Array, AnsiC-Style" becomes "Array, AnsiC-Style (*)": the entry matches every file, and the
// dialog hides the pattern, so the user reads the entry as it stands.
QStringList nameFilters(const toolkit::SaveRequest& request) {
    QStringList filters;
    for (const std::string& entry : request.filterEntries)
        filters << fromUtf8(entry) + QStringLiteral(" (*)");
    return filters;
}

} // namespace

QtSaveDialog::QtSaveDialog(QWidget* parent) : QObject(parent), parent_(parent) {}

QString QtSaveDialog::startFolder(const QString& requested) {
    const auto takesNewFiles = [](const QString& folder) {
        const QFileInfo info(folder);
        return info.isDir() && info.isWritable();
    };
    if (takesNewFiles(requested))
        return requested;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && takesNewFiles(documents) ? documents : QDir::homePath();
}

void QtSaveDialog::configure(QFileDialog& dialog, const toolkit::SaveRequest& request) const {
    // Qt's own dialog on every desktop: a native one's buttons are beyond the reach of the guard
    // against the clicks that opened it. Set first, as the other settings go to the dialog chosen.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(fromUtf8(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setDefaultSuffix(QString());
    const QStringList filters = nameFilters(request);
    dialog.setNameFilters(filters);
    if (lastFilter_ >= 1 && lastFilter_ <= filters.size())
        dialog.selectNameFilter(filters.at(lastFilter_ - 1));
    dialog.setDirectory(startFolder(fromUtf8(request.folder)));
    dialog.selectFile(fromUtf8(request.proposedName));
}

std::optional<toolkit::SaveChoice> QtSaveDialog::choiceFrom(const QFileDialog& dialog,
                                                            const toolkit::SaveRequest& request) {
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    // Dialogs that hide the pattern report the entry without it; native ones may report either.
    const QString selected = dialog.selectedNameFilter();
    const QStringList filters = nameFilters(request);
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (selected == filters.at(i) || selected == fromUtf8(request.filterEntries[static_cast<std::size_t>(i)]))
            lastFilter_ = static_cast<int>(i) + 1;
    return toolkit::SaveChoice{QDir::toNativeSeparators(files.front()).toStdString(), lastFilter_};
}

std::optional<toolkit::SaveChoice> QtSaveDialog::askForFile(const toolkit::SaveRequest& request) {
    QFileDialog dialog(parent_);
    configure(dialog, request);
    const OpeningClickGuard guard(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return choiceFrom(dialog, request);
}

} // namespace ondulix::ui::qt
