#include "ui/qt/QtTextBox.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ondulix::ui::qt {
namespace {

// A line edit and its text box, with a log of what the change handler saw.
struct Box {
    QLineEdit edit;
    QtTextBox box{edit};
    std::vector<std::string> seen; // the text at each notification
    std::vector<int> carets;       // the caret at each notification

    Box() {
        box.setChangeHandler([this] {
            seen.push_back(box.text());
            carets.push_back(box.caret());
        });
    }
};

TEST(QtTextBox, SetTextPutsTheCaretAtTheStartAndNotifiesOnce) {
    Box b;
    b.box.setText("16384");
    EXPECT_EQ(b.edit.text(), "16384");
    EXPECT_EQ(b.box.caret(), 0); // Qt alone would leave it at the end
    // The handler already sees the caret where it stays.
    EXPECT_EQ(b.seen, std::vector<std::string>{"16384"});
    EXPECT_EQ(b.carets, std::vector<int>{0});
}

TEST(QtTextBox, SettingTheSameTextRaisesNothingButStillMovesTheCaret) {
    Box b;
    b.box.setText("-512");
    b.edit.setSelection(1, 2);
    b.box.setText("-512");
    EXPECT_EQ(b.seen.size(), 1u);
    EXPECT_EQ(b.box.caret(), 0);
    EXPECT_FALSE(b.edit.hasSelectedText());
}

TEST(QtTextBox, CaretPastTheEndGoesToTheEndAndClearsTheSelection) {
    Box b;
    b.box.setText("12345");
    b.edit.setSelection(1, 3);
    EXPECT_EQ(b.box.caret(), 1); // a selection's caret is its start
    b.box.setCaret(99);
    EXPECT_EQ(b.box.caret(), 5);
    EXPECT_FALSE(b.edit.hasSelectedText());
    b.box.setCaret(-3);
    EXPECT_EQ(b.box.caret(), 0);
}

TEST(QtTextBox, AWriteFromInsideTheHandlerRunsTheHandlerNestedBeforeItReturns) {
    QLineEdit edit;
    QtTextBox box(edit);
    std::vector<std::string> trace;
    box.setChangeHandler([&] {
        const std::string text = box.text();
        trace.push_back("enter " + text);
        if (text == "99999") // an out-of-range value is replaced by its limit
            box.setText("16384");
        trace.push_back("leave " + text);
    });
    box.setText("99999");
    EXPECT_EQ(trace, (std::vector<std::string>{"enter 99999", "enter 16384", "leave 16384", "leave 99999"}));
    EXPECT_EQ(edit.text(), "16384");
}

TEST(QtTextBox, TypingNotifiesOncePerKeyWithTheCaretAfterTheKey) {
    Box b;
    b.edit.show();
    QTest::keyClicks(&b.edit, "512");
    EXPECT_EQ(b.seen, (std::vector<std::string>{"5", "51", "512"}));
    EXPECT_EQ(b.carets, (std::vector<int>{1, 2, 3}));
}

TEST(QtTextBox, TypingOverASelectionIsOneChange) {
    Box b;
    b.box.setText("128");
    b.seen.clear();
    b.edit.show();
    b.edit.selectAll();
    QTest::keyClick(&b.edit, Qt::Key_7);
    EXPECT_EQ(b.seen, std::vector<std::string>{"7"});
    // Deleting and undoing are user edits as well.
    QTest::keyClick(&b.edit, Qt::Key_Backspace);
    QTest::keyClick(&b.edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(b.seen, (std::vector<std::string>{"7", "", "7"}));
}

} // namespace
} // namespace ondulix::ui::qt
