#pragma once

#include "toolkit/Dialogs.h"

#include <QObject>
#include <QString>

class QFileDialog;
class QWidget;

namespace ondulix::ui::qt {

// The platform's save-file dialog, configured afresh from every request: title, proposed name,
// folder, and one filter entry per request entry, each matching every file and shown with its
// description alone. No default suffix and no question before replacing a file. The entry last
// chosen is offered again on the next request within a run.
//
// A folder the user may not create files in (the program's folder once installed) would make the
// proposed file fail; the dialog then starts in the user's documents folder instead.
class QtSaveDialog final : public QObject, public toolkit::SaveDialog {
public:
    explicit QtSaveDialog(QWidget* parent);

    std::optional<toolkit::SaveChoice> askForFile(const toolkit::SaveRequest& request) override;

    // The two halves of askForFile around the modal run, so that tests can check the dialog a
    // request produces and the choice read back from it without running it.
    void configure(QFileDialog& dialog, const toolkit::SaveRequest& request) const;
    std::optional<toolkit::SaveChoice> choiceFrom(const QFileDialog& dialog, const toolkit::SaveRequest& request);

    // The requested folder when the user may create files in it; else the user's documents
    // folder, or the home folder where there is none.
    static QString startFolder(const QString& requested);

private:
    QWidget* parent_;
    int lastFilter_ = 1; // 1-based, as SaveChoice::filterIndex
};

} // namespace ondulix::ui::qt
