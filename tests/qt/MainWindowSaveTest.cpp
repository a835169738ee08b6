#include "MainWindowFixture.h"

#include "export/Dialect.h"
#include "export/DialectFile.h"
#include "export/SaveCommand.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <fstream>
#include <iterator>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace ondulix::ui::qt {
namespace {

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<missing>");
}

std::string golden(const char* name) { return readFile(QString(ONDULIX_TEST_DATA) + "/" + name); }

// The window, whose program folder is a fresh temporary folder, saving through the real file
// store into it; the dialog's answer is scripted.
class MainWindowSave : public MainWindowTest {
protected:
    QTemporaryDir folder;

    FormServices services() override {
        FormServices s = MainWindowTest::services();
        s.programFolder = folder.path().toStdString();
        return s;
    }

    QString path(const char* name) const { return QDir(folder.path()).filePath(name); }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

    void save(const QString& file, int filterIndex) {
        saveDialog.answer = toolkit::SaveChoice{file.toStdString(), filterIndex};
        window->control<QPushButton>("Command1")->click();
    }
};

TEST_F(MainWindowSave, AsksForTheFileWithTheSameSettingsOnEveryClick) {
    save(path("sinus"), 1);
    save(path("sinus"), 2);
    ASSERT_EQ(saveDialog.requests.size(), 2u);
    for (const toolkit::SaveRequest& request : saveDialog.requests) {
        EXPECT_EQ(request.title, "Save Tables as ...");
        EXPECT_EQ(request.proposedName, "sinus");
        EXPECT_EQ(request.folder, folder.path().toStdString());
        EXPECT_EQ(request.filterEntries, exporter::SaveFilterEntries());
    }
}

TEST_F(MainWindowSave, WritesTheStartUpTablesByteForByteInTheChosenStyle) {
    save(path("sinus"), 1);
    EXPECT_EQ(readFile(path("sinus")), golden("default-tables-c.txt"));
    // The style follows the entry chosen, not the name.
    save(path("effect.c"), 2);
    EXPECT_EQ(readFile(path("effect.c")), golden("default-tables-asm.txt"));
    EXPECT_EQ(files(), (QStringList{"effect.c", "sinus"}));
    EXPECT_TRUE(messageBox.shown.empty()); // a save that works says nothing
}

TEST_F(MainWindowSave, WritesTheTablesAsEditedAndTheSameFileTwice) {
    window->show();
    typeOver("txtSinLen(2)", "100");
    typeOver("txtSinSpeed(3)", "9");
    save(path("sinus"), 2);
    const std::string first = readFile(path("sinus"));
    EXPECT_EQ(first, window->logic().tableFileText(exporter::ExportStyle::AssemblerBytes));
    EXPECT_NE(first.find("SinTab3\r\n"), std::string::npos);
    EXPECT_NE(first.find("1/-3/5/9"), std::string::npos);
    save(path("sinus"), 2);
    EXPECT_EQ(readFile(path("sinus")), first);
}

TEST_F(MainWindowSave, ReplacesAnExistingFileWithoutAsking) {
    QFile old(path("sinus"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(40000, '#'));
    old.close();
    save(path("sinus"), 1);
    EXPECT_EQ(readFile(path("sinus")), golden("default-tables-c.txt"));
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(MainWindowSave, CancelTouchesNothing) {
    saveDialog.answer.reset();
    window->control<QPushButton>("Command1")->click();
    EXPECT_EQ(saveDialog.requests.size(), 1u);
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(MainWindowSave, AFolderThatDoesNotExistIsReportedWithTheFileName) {
    const QString target = path("no such folder/sinus");
    save(target, 1);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_NE(messageBox.shown[0].text.find(target.toStdString()), std::string::npos) << messageBox.shown[0].text;
    EXPECT_TRUE(files().isEmpty());
}

#ifdef Q_OS_UNIX
TEST_F(MainWindowSave, AWriteThatFailsPartWayIsReportedAndKeepsTheOldFile) {
    save(path("sinus"), 2);
    const std::string old = readFile(path("sinus"));
    ASSERT_EQ(old, golden("default-tables-asm.txt"));
    // A file-size limit stops the write as a full disk would, whoever runs the test.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved;
    lowered.rlim_cur = 2048;
    setrlimit(RLIMIT_FSIZE, &lowered);
    save(path("sinus"), 1);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_NE(messageBox.shown[0].text.find(path("sinus").toStdString()), std::string::npos);
    EXPECT_EQ(readFile(path("sinus")), old);
    EXPECT_EQ(files(), QStringList{"sinus"});
}
#endif

#ifdef Q_OS_UNIX
// The window never waits on a save: a pipe that no program reads would keep a plain write
// waiting for ever, and a device is not where tables are kept.
TEST_F(MainWindowSave, ATargetThatIsNotARegularFileIsRefusedAndStaysWhatItIs) {
    const QString deep = path(std::string(70, 'f').c_str());
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString pipe = deep + "/pipe";
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    save(pipe, 1);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    const std::string& text = messageBox.shown[0].text;
    EXPECT_NE(text.find("\u2026/pipe\r\n"), std::string::npos) << text; // a long path shortened in its middle
    EXPECT_NE(text.find("it is not a regular file but a pipe, and no program is reading it"), std::string::npos)
        << text;
    struct stat info {};
    EXPECT_TRUE(::stat(pipe.toLocal8Bit().constData(), &info) == 0 && S_ISFIFO(info.st_mode));

    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    const QString zero = path("zero");
    ASSERT_EQ(::mknod(zero.toLocal8Bit().constData(), S_IFCHR | 0600, makedev(1, 3)), 0);
    save(zero, 1);
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_NE(messageBox.shown[1].text.find("\r\n\r\nit is not a regular file\r\n"), std::string::npos)
        << messageBox.shown[1].text;
    EXPECT_TRUE(::stat(zero.toLocal8Bit().constData(), &info) == 0 && S_ISCHR(info.st_mode));
}
#endif

// The window with the platform's save dialog itself, driven by mouse events sent to the windows
// at the place of a button, as the windowing system delivers them.
class MainWindowRealSaveDialog : public MainWindowSave {
protected:
    FormServices services() override {
        FormServices s = MainWindowSave::services();
        s.saveDialog = nullptr;
        return s;
    }

    static QPoint centreInWindow(const QWidget& widget) {
        return widget.mapTo(widget.window(), widget.rect().center());
    }
    static void click(const QWidget& widget) {
        QTest::mouseClick(widget.window()->windowHandle(), Qt::LeftButton, {}, centreInWindow(widget));
    }
    static void doubleClick(const QWidget& widget) {
        QTest::mouseDClick(widget.window()->windowHandle(), Qt::LeftButton, {}, centreInWindow(widget));
    }
};

TEST_F(MainWindowRealSaveDialog, TheClicksThatOpenedTheDialogPressNoneOfItsButtons) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();

    bool openAfterQuickClicks = false;
    QStringList filesAfterQuickClicks{"<not run>"};
    QFileDialog* dialog = nullptr;
    // The dialog is modal: what happens while it is up runs from timers inside its event loop.
    QTimer::singleShot(0, [&] {
        dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QPushButton* save = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
        if (!save || !QTest::qWaitForWindowExposed(dialog)) {
            dialog->reject();
            return;
        }
        // The second click of a double-click on "write file" lands on Save, right under the
        // pointer; then two more quick ones.
        click(*save);
        doubleClick(*save);
        openAfterQuickClicks = dialog->isVisible();
        filesAfterQuickClicks = files();
        // Once the double-click interval is over, a click on Save is the user's choice.
        QTimer::singleShot(interval + 100, dialog, [save] { click(*save); });
        QTimer::singleShot(interval + 5000, dialog, [&] { dialog->reject(); }); // never hang the suite
    });
    click(*window->control<QPushButton>("Command1")); // returns when the dialog has closed

    ASSERT_NE(dialog, nullptr) << "\"write file\" opened no file dialog";
    EXPECT_TRUE(openAfterQuickClicks);
    EXPECT_TRUE(filesAfterQuickClicks.isEmpty()) << filesAfterQuickClicks.join(", ").toStdString();
    EXPECT_EQ(files(), QStringList{"sinus"}); // the later click saved the proposal
    EXPECT_EQ(readFile(path("sinus")), golden("default-tables-c.txt"));
}

// Every toolchain's entry of the platform's dialog writes that toolchain's file, and is offered
// again the next time.
TEST_F(MainWindowRealSaveDialog, EachDialectEntryWritesItsFileAndIsOfferedAgain) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QString previous = "Array, AnsiC-Style"; // the first entry, offered on the first save of a run
    for (const exporter::Dialect& dialect : exporter::Dialects()) {
        const QString name = QString::fromUtf8(dialect.name.data(), static_cast<qsizetype>(dialect.name.size()));
        const QString description = QString::fromUtf8(dialect.description.data(),
                                                      static_cast<qsizetype>(dialect.description.size()));
        QString offered;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            offered = dialog->selectedNameFilter();
            const QStringList filters = dialog->nameFilters();
            const auto entry = std::find_if(filters.begin(), filters.end(),
                                            [&](const QString& f) { return f.startsWith(description + " ("); });
            if (entry == filters.end())
                return dialog->reject();
            dialog->selectNameFilter(*entry);
            dialog->selectFile(path(qPrintable("tables-" + name)));
            static_cast<QDialog*>(dialog)->accept(); // as its Save button does
        });
        window->control<QPushButton>("Command1")->click();
        EXPECT_TRUE(offered.startsWith(previous)) << offered.toStdString();
        EXPECT_EQ(readFile(path(qPrintable("tables-" + name))),
                  exporter::WriteDialectFile(window->logic().tableSet(), dialect, {}).text)
            << dialect.name;
        previous = description;
    }
    EXPECT_TRUE(messageBox.shown.empty());
}

} // namespace
} // namespace ondulix::ui::qt
