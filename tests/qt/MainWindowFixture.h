#pragma once

#include "support/MemoryDialogs.h"
#include "ui/MainWindowLogic.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtSurface.h"

#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ondulix::ui::qt {

// The real window with in-memory dialogs, so that no test waits on a modal box, and with the
// application's ending counted instead of carried out.
class MainWindowTest : public ::testing::Test {
protected:
    toolkit::MemorySaveDialog saveDialog;
    toolkit::MemoryMessageBox messageBox;
    int quits = 0;
    std::unique_ptr<MainWindow> window;

    void SetUp() override { window = std::make_unique<MainWindow>(services()); }

    virtual FormServices services() {
        FormServices s;
        s.saveDialog = &saveDialog;
        s.messageBox = &messageBox;
        s.endProgram = [this] { ++quits; };
        return s;
    }

    QLineEdit& box(const std::string& name) const {
        auto* edit = window->control<QLineEdit>(name);
        EXPECT_NE(edit, nullptr) << name;
        return *edit;
    }
    std::string text(const std::string& name) const { return box(name).text().toStdString(); }

    // What a user does: select the whole text and type over it, key by key.
    void typeOver(const std::string& name, const char* keys) {
        QLineEdit& edit = box(name);
        edit.setFocus();
        edit.selectAll();
        QTest::keyClicks(&edit, keys);
    }

    const engine::TableParams& table(int t) const {
        return window->logic().tableSet().tables[static_cast<std::size_t>(t)];
    }

    std::int32_t position(int t) const {
        return window->logic().tableSet().preview.Position[static_cast<std::size_t>(t)];
    }

    // Shows the window and waits for a preview frame to have run.
    bool waitForFrames(int frames) {
        const auto start = position(0);
        const auto length = table(0).Length;
        return QTest::qWaitFor([&] { return ((position(0) - start) % length + length) % length >= frames; }, 10000);
    }
};

inline toolkit::Colour colourAt(const QImage& image, int x, int y) {
    const QRgb rgb = image.pixel(x, y);
    return {static_cast<std::uint8_t>(qRed(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
            static_cast<std::uint8_t>(qBlue(rgb))};
}

} // namespace ondulix::ui::qt
