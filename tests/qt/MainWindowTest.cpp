#include "MainWindowFixture.h"
#include "display/PlotColours.h"

#include "ui/AboutBoxes.h"
#include "support/HeadlessWindow.h"
#include "ui/qt/DisplayConnection.h"
#include "ui/qt/QtTimer.h"

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QToolTip>

#include <limits>
#include <set>

#include <array>
#include <vector>

namespace ondulix::ui::qt {
namespace {

constexpr toolkit::Colour kDarkGrey = display::kPlotBack;
using display::kPlotGreen;


// --- start-up ------------------------------------------------------------------------------

TEST_F(MainWindowTest, StartUpShowsTheDefaultsInEveryBox) {
    const std::vector<std::pair<std::string, std::array<const char*, 4>>> rows = {
        {"txtSinLen", {"512", "512", "512", "512"}},    {"txtSinOffs", {"0", "64", "128", "256"}},
        {"txtSinWaves", {"1", "2", "3", "4"}},          {"txtSinMin", {"-128", "-96", "-64", "-32"}},
        {"txtSinMax", {"128", "96", "64", "32"}},       {"txtSinOrigin", {"0", "0", "0", "0"}},
        {"txtSinRange", {"256", "192", "128", "64"}},   {"txtSinSpeed", {"1", "-3", "5", "-7"}},
    };
    for (const auto& [name, texts] : rows)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(text(name + "(" + std::to_string(i) + ")"), texts[static_cast<std::size_t>(i)]) << name << i;
    // Not the layout's "256", "-255", "255": the preview's scale, written back at start-up.
    EXPECT_EQ(text("txtPrvXmax"), "512");
    EXPECT_EQ(text("txtPrvYmin"), "-512");
    EXPECT_EQ(text("txtPrvYmax"), "512");
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(window->control<QCheckBox>("checkSin(" + std::to_string(i) + ")")->isChecked());
    EXPECT_EQ(window->windowState(), Qt::WindowNoState);
}

TEST_F(MainWindowTest, StartUpPlotsEveryTableBeforeTheWindowIsShown) {
    // Table 0: Length 512 from -128 (top row) to 128 (bottom row), every second entry plotted.
    // Entry 0 is 0: mid-height, row 44 of 0 to 88; entry 128 is the crest 128: bottom row, column
    // 128 / 512 * 128 = 32; entry 384 is the trough -128: top row, column 96; entry 512 wraps to
    // 0 on the right edge.
    const QImage& plot = window->plot(0).picture();
    ASSERT_EQ(plot.size(), QSize(129, 89));
    EXPECT_EQ(colourAt(plot, 0, 44), kPlotGreen);
    EXPECT_EQ(colourAt(plot, 32, 88), kPlotGreen);
    EXPECT_EQ(colourAt(plot, 96, 0), kPlotGreen);
    EXPECT_EQ(colourAt(plot, 128, 44), kPlotGreen);
    EXPECT_EQ(colourAt(plot, 32, 0), kDarkGrey);
    EXPECT_EQ(colourAt(plot, 96, 88), kDarkGrey);
    EXPECT_EQ(colourAt(plot, 64, 10), kDarkGrey);
    // 257 points over 129 columns: every column has its point, and nothing but points is drawn.
    int green = 0;
    for (int x = 0; x < plot.width(); ++x) {
        int inColumn = 0;
        for (int y = 0; y < plot.height(); ++y) {
            const auto c = colourAt(plot, x, y);
            EXPECT_TRUE(c == kPlotGreen || c == kDarkGrey) << x << "," << y;
            inColumn += c == kPlotGreen;
        }
        EXPECT_GE(inColumn, 1) << "column " << x;
        green += inColumn;
    }
    EXPECT_LE(green, 257);
    // Table 3 (4 periods from -32 to 32, offset 256): entry 0 is 0, also at mid-height.
    EXPECT_EQ(colourAt(window->plot(3).picture(), 0, 44), kPlotGreen);
}

// --- typing --------------------------------------------------------------------------------

TEST_F(MainWindowTest, KeysTypedIntoALengthBoxRecomputeThatTableAndItsPlot) {
    window->show();
    const QImage before1 = window->plot(1).picture().copy();
    const QImage before2 = window->plot(2).picture().copy();
    typeOver("txtSinLen(1)", "100");

    EXPECT_EQ(text("txtSinLen(1)"), "100");
    EXPECT_EQ(table(1).Length, 100);
    EXPECT_NE(window->plot(1).picture(), before1);
    EXPECT_EQ(window->plot(2).picture(), before2); // other tables are left alone

    // The same keys typed into the window without a display give the same table.
    HeadlessWindow reference;
    reference.load();
    HeadlessWindow::typeOver(reference.control(&FormControls::txtSinLen, 1), "100");
    for (int x = 0; x <= 100; ++x)
        ASSERT_EQ(window->logic().tableSet().values(1, x), reference.tableSet().values(1, x)) << "entry " << x;
    EXPECT_EQ(table(1), reference.tableSet().tables[1]);
}

TEST_F(MainWindowTest, AValueBeyondItsLimitIsReplacedByTheLimitWithTheCaretAtTheEnd) {
    window->show();
    typeOver("txtSinMin(2)", "99999");
    EXPECT_EQ(text("txtSinMin(2)"), "16384");
    EXPECT_EQ(box("txtSinMin(2)").cursorPosition(), 5);
    EXPECT_FALSE(box("txtSinMin(2)").hasSelectedText());
    EXPECT_EQ(table(2).Minimum, 16384);
}

TEST_F(MainWindowTest, LeadingZerosAreDroppedAndTheCaretStaysAfterTheTypedKey) {
    window->show();
    typeOver("txtSinOffs(0)", "007");
    EXPECT_EQ(text("txtSinOffs(0)"), "7");
    EXPECT_EQ(box("txtSinOffs(0)").cursorPosition(), 1);
    EXPECT_EQ(table(0).Offset, 7);
    // A sign typed in front of the digits makes the number negative.
    QLineEdit& speed = box("txtSinSpeed(0)");
    typeOver("txtSinSpeed(0)", "12");
    speed.setCursorPosition(0);
    QTest::keyClick(&speed, Qt::Key_Minus);
    EXPECT_EQ(text("txtSinSpeed(0)"), "-12");
    EXPECT_EQ(speed.cursorPosition(), 1);
    EXPECT_EQ(table(0).Speed, -12);
}

// --- the preview ---------------------------------------------------------------------------

TEST_F(MainWindowTest, ThePreviewStartsWithTheWindowAndAdvancesEveryTableEachTick) {
    const QtTimer& timer = window->timer();
    EXPECT_FALSE(timer.timer().isActive()); // no frame before the window is shown
    EXPECT_EQ(timer.timer().interval(), 2);
    EXPECT_EQ(timer.timer().timerType(), Qt::PreciseTimer);
    // Both markers are visible as laid out, until the first frame decides.
    EXPECT_FALSE(window->control<QLabel>("lblpeakhigh")->isHidden());
    EXPECT_FALSE(window->control<QLabel>("lblpeaklow")->isHidden());

    window->show();
    EXPECT_TRUE(timer.timer().isActive());
    const QImage before = window->preview().picture().copy();
    ASSERT_TRUE(waitForFrames(3));
    EXPECT_NE(window->preview().picture(), before);
    // Every tick ran one whole frame: after n frames the steps 1, -3, 5, -7 have moved the four
    // tables by n, -3n, 5n and -7n entries (mod 512).
    const int n = position(0);
    EXPECT_EQ(position(1), ((-3 * n) % 512 + 512) % 512);
    EXPECT_EQ(position(2), (5 * n) % 512);
    EXPECT_EQ(position(3), ((-7 * n) % 512 + 512) % 512);
    // The default sums stay within -512 to 512: both markers off.
    EXPECT_TRUE(window->control<QLabel>("lblpeakhigh")->isHidden());
    EXPECT_TRUE(window->control<QLabel>("lblpeaklow")->isHidden());
}

TEST_F(MainWindowTest, ThePeakMarkersFollowTheVerticalRange) {
    window->show();
    ASSERT_TRUE(waitForFrames(1));
    // Sums run from about -281 to 160: a top bound of 200 puts every one of them above the top.
    typeOver("txtPrvYmin", "200");
    ASSERT_TRUE(waitForFrames(2));
    EXPECT_FALSE(window->control<QLabel>("lblpeakhigh")->isHidden());
    EXPECT_TRUE(window->control<QLabel>("lblpeaklow")->isHidden());
    // Sin1 alone runs from -128 to 128 across the preview's 512 columns: from -100 to 100 it
    // leaves the picture at both edges.
    for (const char* other : {"checkSin(1)", "checkSin(2)", "checkSin(3)"})
        QTest::mouseClick(window->control<QCheckBox>(other), Qt::LeftButton);
    typeOver("txtPrvYmin", "100"); // a lone "-" reads 0: the sign goes in front of the digits
    QTest::keyClick(&box("txtPrvYmin"), Qt::Key_Home);
    QTest::keyClick(&box("txtPrvYmin"), Qt::Key_Minus);
    typeOver("txtPrvYmax", "100");
    ASSERT_EQ(window->preview().scale(), (toolkit::UserScale{0, -100, 512, 200}));
    ASSERT_TRUE(waitForFrames(2));
    EXPECT_FALSE(window->control<QLabel>("lblpeakhigh")->isHidden());
    EXPECT_FALSE(window->control<QLabel>("lblpeaklow")->isHidden());

    // Resting the pointer on the preview asks it whether the sum ever leaves the bounds.
    QHelpEvent hover(QEvent::ToolTip, QPoint(20, 20), window->preview().mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(&window->preview(), &hover);
    EXPECT_EQ(QToolTip::text().toStdString(),
              "The sum leaves -100 to 100: it passes both edges.\nIt runs from -128 to 128.");
}

// The tooltip answers for the cycle the preview walks from where it stands: Sin1 of Length 8
// from -100 to 100 alone, two columns, edges -80 and 80. At step 1 the positions pass through
// every entry; at step 4 the columns see entries p, p + 1, p + 4 and p + 5 only, which reach
// -100 and 100 from an odd p and stay within 71 from an even one. Each try waits a different
// number of frames at step 1, so the positions reached differ (until both kinds were reached), and
// step 4 again is the table the last tooltip was for; the tooltip is compared with the frames
// walked one by one from the positions it was asked at.
TEST_F(MainWindowTest, TheTooltipAnswersForTheCycleFromThePositionsReached) {
    window->show();
    typeOver("txtSinLen(0)", "8");
    typeOver("txtSinMax(0)", "100");
    typeOver("txtSinMin(0)", "100");
    QTest::keyClick(&box("txtSinMin(0)"), Qt::Key_Home);
    QTest::keyClick(&box("txtSinMin(0)"), Qt::Key_Minus);
    for (const char* other : {"checkSin(1)", "checkSin(2)", "checkSin(3)"})
        QTest::mouseClick(window->control<QCheckBox>(other), Qt::LeftButton);
    typeOver("txtPrvXmax", "1");
    typeOver("txtPrvYmin", "80");
    QTest::keyClick(&box("txtPrvYmin"), Qt::Key_Home);
    QTest::keyClick(&box("txtPrvYmin"), Qt::Key_Minus);
    typeOver("txtPrvYmax", "80");
    ASSERT_EQ(table(0).Minimum, -100);
    ASSERT_EQ(window->preview().scale(), (toolkit::UserScale{0, -80, 1, 160}));

    std::set<std::string> answers;
    for (int frames = 1; frames <= 20 && answers.size() < 2; ++frames) {
        typeOver("txtSinSpeed(0)", "1");
        ASSERT_TRUE(waitForFrames(frames));
        typeOver("txtSinSpeed(0)", "4");
        QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), window->preview().mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&window->preview(), &hover);
        const std::string tip = QToolTip::text().toStdString();

        // No frame ran since: walk the cycle from here on a copy of the tables.
        engine::TableSet set = window->logic().tableSet();
        const engine::PreviewView& view = window->logic().previewView();
        std::int32_t low = std::numeric_limits<std::int32_t>::max();
        std::int32_t high = std::numeric_limits<std::int32_t>::min();
        for (int frame = 0; frame < 8; ++frame) {
            std::vector<std::int32_t> sums;
            engine::PreviewColumnSums(set, view, {true, false, false, false}, sums);
            for (const std::int32_t sum : sums) {
                low = std::min(low, sum);
                high = std::max(high, sum);
            }
            engine::AdvancePositions(set);
        }
        const bool top = low < -80, bottom = high > 80;
        const std::string verdict = !top && !bottom ? "The sum stays within -80 to 80 in every frame."
                                    : top && bottom ? "The sum leaves -80 to 80: it passes both edges."
                                    : top           ? "The sum leaves -80 to 80: it passes the top edge."
                                                    : "The sum leaves -80 to 80: it passes the bottom edge.";
        EXPECT_EQ(tip, verdict + "\nIt runs from " + std::to_string(low) + " to " + std::to_string(high) + ".")
            << "after " << frames << " frames at step 1, from position " << position(0);
        answers.insert(tip);
    }
    EXPECT_EQ(answers.size(), 2u) << "both kinds of position were reached";
}

// --- buttons and closing -------------------------------------------------------------------

TEST_F(MainWindowTest, TheAboutButtonsShowTheirBoxesAndChangeNothing) {
    const auto before = window->logic().tableSet().tables;
    window->control<QPushButton>("Command2")->click();
    window->control<QPushButton>("Command3")->click();
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[0].title, kAboutThisTitle);
    EXPECT_EQ(messageBox.shown[0].text, kAboutThisText);
    EXPECT_EQ(messageBox.shown[1].title, "Who Are We?!");
    EXPECT_EQ(messageBox.shown[1].text, kAboutUsText);
    EXPECT_EQ(window->logic().tableSet().tables, before);
    EXPECT_EQ(quits, 0);
}

TEST_F(MainWindowTest, QuitEndsTheProgramAtOnceWithoutAQuestion) {
    window->show();
    typeOver("txtSinLen(0)", "77"); // unsaved edits ask nothing either
    window->control<QPushButton>("cmdQuit")->click();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->timer().timer().isActive()); // no further frame
    EXPECT_TRUE(messageBox.shown.empty());
    window->close(); // the window is already gone: nothing ends twice
    EXPECT_EQ(quits, 1);
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheProgramAsQuitDoes) {
    window->show();
    EXPECT_TRUE(window->close()); // never refused
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(window->timer().timer().isActive());
    EXPECT_TRUE(messageBox.shown.empty());
}

#ifdef Q_OS_LINUX
// A DISPLAY that names no server: the program says so and ends with status 2, as without any
// DISPLAY, where Qt alone would abort.
TEST(WindowProgram, ADisplayThatDoesNotAnswerIsNamed) {
    int number = 79;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
        ++number;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(number));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(ONDULIX_WINDOW_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().startsWith(
        QStringLiteral("ondulix: cannot reach the display \":%1\"").arg(number).toUtf8()));
}

// Qt's own -platform and -display options override the environment, for the checks too: an
// offscreen window needs no X server, and -display names the one that is tried.
TEST(WindowProgram, QtsOwnDisplayOptionsAreHeeded) {
    const QByteArray savedDisplay = qgetenv("DISPLAY");
    const QByteArray savedPlatform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray savedWayland = qgetenv("WAYLAND_DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("WAYLAND_DISPLAY");

    qunsetenv("DISPLAY");
    const char* named[] = {"ondulix", "--display", ":79"};
    const DisplayChoice byOption = ChosenDisplay(3, named);
    EXPECT_FALSE(HasNoDisplay(byOption));
    EXPECT_EQ(byOption.xDisplay, ":79");
    const char* bare[] = {"ondulix"};
    EXPECT_TRUE(HasNoDisplay(ChosenDisplay(1, bare)));

    qputenv("DISPLAY", ":79");
    const char* offscreen[] = {"ondulix", "-platform", "offscreen"};
    const DisplayChoice drawnOffscreen = ChosenDisplay(3, offscreen);
    EXPECT_FALSE(HasNoDisplay(drawnOffscreen));
    EXPECT_FALSE(UnreachableXDisplay(drawnOffscreen).has_value());
    const char* xcb[] = {"ondulix", "-platform", "xcb", "-display", "unix:/nonexistent/socket"};
    const DisplayChoice drawnOnX = ChosenDisplay(5, xcb);
    EXPECT_EQ(UnreachableXDisplay(drawnOnX), std::optional<std::string>("unix:/nonexistent/socket"));

    const auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("DISPLAY", savedDisplay);
    restore("QT_QPA_PLATFORM", savedPlatform);
    restore("WAYLAND_DISPLAY", savedWayland);
}
#endif

} // namespace
} // namespace ondulix::ui::qt
