#include "ui/qt/QtMessageBox.h"
#include "ui/qt/QtSaveDialog.h"

#include "support/AsNormalUser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace ondulix::ui::qt {
namespace {

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

// Installed, the program's folder (/usr/bin) takes no new file from a normal user, and the
// proposed "sinus" there could never be saved.
TEST(QtSaveDialog, StartsInTheDocumentsFolderOrHomeWhenTheProgramFolderTakesNoNewFile) {
    QTemporaryDir scratch;
    const QDir root(scratch.path());
    for (const char* folder : {"installed", "home", "home/Documents", "bare-home", "open"})
        ASSERT_TRUE(root.mkpath(folder));
    // Every folder readable by the user the check runs as; only "open" writable by everyone.
    const auto mode = [&](const char* folder, mode_t bits) { ::chmod(root.filePath(folder).toLocal8Bit(), bits); };
    mode(".", 0755);
    mode("installed", 0555);
    for (const char* folder : {"home", "home/Documents", "bare-home"}) {
        mode(folder, 0755);
        ondulix::testing::giveToNormalUser(root.filePath(folder).toStdString());
    }
    mode("open", 0777);

    const auto starts = ondulix::testing::asNormalUser([&] {
        const auto startWithHome = [&](const char* home, const char* programFolder) {
            qputenv("HOME", root.filePath(home).toLocal8Bit());
            qunsetenv("XDG_CONFIG_HOME");
            return QDir(root.path()).relativeFilePath(QtSaveDialog::startFolder(root.filePath(programFolder)));
        };
        return (startWithHome("home", "installed") + " " + startWithHome("bare-home", "installed") + " " +
                startWithHome("home", "open"))
            .toStdString();
    });
    EXPECT_EQ(starts.value_or("could not run as a normal user"), "home/Documents bare-home open");
}

} // namespace
} // namespace ondulix::ui::qt
