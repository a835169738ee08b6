#include "ui/qt/QtFileStore.h"
#include "ui/qt/QtMessageBox.h"
#include "ui/qt/QtSaveDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace ondulix::ui::qt {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// --- the message box -----------------------------------------------------------------------

TEST(QtMessageBox, ShowsTitleAndTextWithASingleOkButtonAndNoIconAnywhere) {
    const auto box = QtMessageBox::build(nullptr, "Who Are We?!", "line one\r\nline two\r\n");
    EXPECT_EQ(box->windowTitle(), "Who Are We?!");
    EXPECT_EQ(box->text(), "line one\nline two\n"); // CR LF breaks become label line breaks
    EXPECT_EQ(box->textFormat(), Qt::PlainText);    // "<b>" in a text is shown, not rendered
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_TRUE(box->iconPixmap().isNull());
    ASSERT_EQ(box->buttons().size(), 1);
    QAbstractButton* ok = box->buttons().front();
    EXPECT_EQ(box->standardButton(ok), QMessageBox::Ok);
    EXPECT_TRUE(ok->icon().isNull());
}

// Some styles (those of KDE and GNOME among them) put icons on dialog buttons.
class IconsOnDialogButtons : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

TEST(QtMessageBox, TheOkButtonHasNoIconEvenWhereTheStyleGivesDialogButtonsIcons) {
    const QString previous = QApplication::style()->name();
    QApplication::setStyle(new IconsOnDialogButtons(QStyleFactory::create(previous)));
    QDialogButtonBox plain(QDialogButtonBox::Ok);
    const bool styleAddsIcons = !plain.button(QDialogButtonBox::Ok)->icon().isNull();
    const auto box = QtMessageBox::build(nullptr, "t", "x");
    const bool okHasIcon = !box->button(QMessageBox::Ok)->icon().isNull();
    QApplication::setStyle(QStyleFactory::create(previous));

    EXPECT_TRUE(styleAddsIcons) << "the simulated style should decorate a plain OK button";
    EXPECT_FALSE(okHasIcon);
}

// --- the save dialog -----------------------------------------------------------------------

toolkit::SaveRequest request(const QString& folder) {
    return {"Save Tables as ...", "sinus", folder.toStdString(), {"Array, AnsiC-Style", "Bytes, TassC64-Style"}};
}

TEST(QtSaveDialog, IsConfiguredFromTheRequest) {
    QTemporaryDir folder;
    QtSaveDialog saveDialog(nullptr);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    saveDialog.configure(dialog, request(folder.path()));

    EXPECT_EQ(dialog.windowTitle(), "Save Tables as ...");
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"Array, AnsiC-Style (*)", "Bytes, TassC64-Style (*)"}));
    EXPECT_EQ(dialog.selectedNameFilter(), "Array, AnsiC-Style"); // the first entry on a first save
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
    EXPECT_EQ(dialog.selectedFiles(), QStringList{QDir(folder.path()).filePath("sinus")});

    // The user reads the entries as they stand, without the pattern.
    const auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), "Array, AnsiC-Style");
    EXPECT_EQ(types->itemText(1), "Bytes, TassC64-Style");
}

TEST(QtSaveDialog, ReturnsThePathAndTheEntryAndOffersThatEntryAgainNextTime) {
    QTemporaryDir folder;
    QtSaveDialog saveDialog(nullptr);
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        saveDialog.configure(dialog, request(folder.path()));
        dialog.selectNameFilter("Bytes, TassC64-Style (*)");
        dialog.selectFile("effect.c"); // the style follows the entry, not the name
        const auto choice = saveDialog.choiceFrom(dialog, request(folder.path()));
        ASSERT_TRUE(choice);
        EXPECT_EQ(QDir::fromNativeSeparators(QString::fromStdString(choice->path)),
                  QDir(folder.path()).filePath("effect.c"));
        EXPECT_EQ(choice->filterIndex, 2);
    }
    QFileDialog again;
    again.setOption(QFileDialog::DontUseNativeDialog);
    saveDialog.configure(again, request(folder.path()));
    EXPECT_EQ(again.selectedNameFilter(), "Bytes, TassC64-Style");
    EXPECT_EQ(again.selectedFiles(), QStringList{QDir(folder.path()).filePath("sinus")}); // the name is proposed anew
}

// --- the file store ------------------------------------------------------------------------

TEST(QtFileStore, WritesExactlyTheBytesAndReplacesAnOldFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath("sinus");
    writeAll(path, QByteArray(5000, 'x'));
    const std::string bytes = "\r\n/* x */\r\n.byte  59 , 95 \r\n";
    QtFileStore store;
    EXPECT_EQ(store.replaceFile(path.toStdString(), bytes), std::nullopt);
    EXPECT_EQ(readAll(path), QByteArray::fromStdString(bytes)); // CR LF untouched, old tail gone
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"sinus"}); // no temporary left
}

TEST(QtFileStore, AFolderThatDoesNotExistGivesTheReasonAndCreatesNothing) {
    QTemporaryDir folder;
    const QString path = folder.filePath("missing/sinus");
    QtFileStore store;
    const auto failure = store.replaceFile(path.toStdString(), "data");
    ASSERT_TRUE(failure);
    EXPECT_FALSE(failure->empty());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

#ifdef Q_OS_UNIX
// Lowers the largest file this process may write, as a full disk would stop it, for one scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN); // fail the write instead of killing us
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(QtFileStore, AWriteThatFailsPartWayLeavesTheOldFileAsItWas) {
    QTemporaryDir folder;
    const QString path = folder.filePath("sinus");
    const QByteArray old = "the tables saved last time\r\n";
    writeAll(path, old);
    std::optional<std::string> failure;
    {
        FileSizeLimit limit(1024);
        failure = QtFileStore().replaceFile(path.toStdString(), std::string(20000, '7'));
    }
    ASSERT_TRUE(failure);
    EXPECT_FALSE(failure->empty());
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"sinus"}); // the partial copy is gone
}
#endif

} // namespace
} // namespace ondulix::ui::qt
