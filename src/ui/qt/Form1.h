#pragma once

#include "toolkit/Dialogs.h"
#include "ui/FormControls.h"
#include "ui/Form1Layout.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondulix::ui {
class MainForm;
}

namespace ondulix::ui::qt {

class QtSaveDialog;
class QtSurface;
class QtTimer;

// What the window uses from outside itself. Every service left empty is the real one: the
// platform's save dialog and message box, files replaced through exporter::AtomicFileStore, the
// executable's folder, and leaving the application's event loop. Tests put in-memory ones in instead.
struct Form1Services {
    toolkit::SaveDialog* saveDialog = nullptr;
    toolkit::MessageBox* messageBox = nullptr;
    toolkit::FileStore* fileStore = nullptr;
    std::optional<std::string> programFolder;
    std::function<void()> quitApplication; // runs after the window has closed
};

// The main window: the walk over the layout table makes every control as a Qt widget, with the
// toolkit backend over the ones the window logic touches, and hands them to MainForm, whose
// start-up runs before the window is first shown. Closing is forwarded to its handler; the
// preview timer starts when the window is shown.
class Form1 final : public QWidget {
public:
    explicit Form1(Form1Services services = {}, QWidget* parent = nullptr);
    ~Form1() override;

    MainForm& logic() { return *logic_; }

    // A control by its name in the layout, "txtSinLen(1)" or "Label23", for tests and
    // measurements; Timer1 and CommonDialog are objects, not widgets.
    QObject* control(std::string_view name) const;
    template <class T>
    T* control(std::string_view name) const {
        return dynamic_cast<T*>(control(name));
    }

    QtSurface& plot(int table) const;
    QtSurface& preview() const;
    QtTimer& timer() const { return *timer_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Factory;

    void setUpWindow();
    void createControls();
    void setTabOrder();
    FormServices createServices(Form1Services services);
    void centreOnScreen();
    void endProgram();

    FormControls controls_;
    std::vector<std::pair<int, QWidget*>> tabStops_; // tab position and widget, as created
    std::vector<std::unique_ptr<toolkit::CheckBox>> checkBoxes_;
    std::vector<std::unique_ptr<toolkit::Label>> labels_;
    std::unique_ptr<toolkit::MessageBox> ownMessageBox_;
    std::unique_ptr<toolkit::FileStore> ownFileStore_;
    std::function<void()> quitApplication_;
    QtTimer* timer_ = nullptr;
    QtSaveDialog* commonDialog_ = nullptr;
    bool ended_ = false;
    std::unique_ptr<MainForm> logic_; // last: it goes before the controls it holds
};

} // namespace ondulix::ui::qt
