#pragma once

#include "toolkit/Dialogs.h"
#include "ui/FormControls.h"
#include "ui/MainWindowLayout.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ondulix::ui {
class MainWindowLogic;
}

namespace ondulix::ui::qt {

class QtSaveDialog;
class QtSurface;
class QtTimer;

// The main window: the walk over the layout table makes every control as a Qt widget, with the
// toolkit backend over the ones the window logic touches, and hands them to MainWindowLogic,
// whose start-up runs before the window is first shown. Closing is forwarded to its handler; the
// preview timer starts when the window is shown. The window's own name in the layout, by which
// it is found like any of its controls, is "Form1".
class MainWindow final : public QWidget {
public:
    // Every service left empty is the real one; tests put in-memory ones in instead.
    explicit MainWindow(FormServices services = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    MainWindowLogic& logic() { return *logic_; }

    // A control by its name in the layout, "txtSinLen(1)" or "Label23", for tests and
    // measurements; the timer and the save dialog are objects, not widgets.
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
    FormServices completeServices(FormServices services);
    void centreOnScreen();
    void endProgram();

    FormControls controls_;
    std::vector<std::pair<int, QWidget*>> tabStops_; // tab position and widget, as created
    std::vector<std::unique_ptr<toolkit::CheckBox>> checkBoxes_;
    std::vector<std::unique_ptr<toolkit::Label>> labels_;
    std::unique_ptr<toolkit::MessageBox> ownMessageBox_;
    std::unique_ptr<toolkit::FileStore> ownFileStore_;
    std::function<void()> endProgram_; // what ends the program once the window has closed
    QtTimer* timer_ = nullptr;
    QtSaveDialog* commonDialog_ = nullptr;
    bool ended_ = false;
    std::unique_ptr<MainWindowLogic> logic_; // last: it goes before the controls it holds
};

} // namespace ondulix::ui::qt
