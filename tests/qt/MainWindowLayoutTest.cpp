#include "MainWindowFixture.h"
#include "display/PlotColours.h"

#include "ui/MainWindowLayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <set>
#include <vector>

namespace ondulix::ui::qt {
namespace {

QRect rectOf(const MainWindow& window, const std::string& name) {
    const auto* widget = window.control<QWidget>(name);
    return widget ? widget->geometry() : QRect();
}

TEST_F(MainWindowTest, HasEveryControlOfTheLayoutOnceByName) {
    std::set<std::string> names;
    for (const LayoutItem& item : kMainWindowLayout) {
        const std::string name = controlName(item);
        EXPECT_FALSE(item.name.empty());
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        EXPECT_NE(window->control(name), nullptr) << name;
    }
    EXPECT_EQ(names.size(), 98u);

    int labels = 0, boxes = 0, checks = 0, buttons = 0, pictures = 0;
    for (const QObject* child : window->children()) {
        labels += qobject_cast<const QLabel*>(child) != nullptr;
        boxes += qobject_cast<const QLineEdit*>(child) != nullptr;
        checks += qobject_cast<const QCheckBox*>(child) != nullptr;
        buttons += qobject_cast<const QPushButton*>(child) != nullptr;
        pictures += dynamic_cast<const QtSurface*>(child) != nullptr;
    }
    EXPECT_EQ(labels, 35); // Label1 to Label33 and the two peak markers
    EXPECT_EQ(boxes, 35);
    EXPECT_EQ(checks, 4);
    EXPECT_EQ(buttons, 4);
    EXPECT_EQ(pictures, 5);
}

TEST_F(MainWindowTest, PlacesControlsWhereTheLayoutPutsThem) {
    // Pixels at 12 twips each, from the layout's twips.
    const std::vector<std::pair<std::string, QRect>> expected = {
        {"Label33", {-8, -4, 607, 13}},         {"Label23", {-12, 8, 69, 17}},
        {"label2", {56, 8, 57, 17}},            {"Label10", {544, 8, 55, 17}},
        {"txtSinLen(0)", {64, 40, 58, 25}},     {"txtSinRange(3)", {496, 136, 58, 25}},
        {"txtSinMin(2)", {280, 104, 58, 25}},   {"Label18", {16, 140, 25, 17}},
        {"SinusPic(0)", {20, 192, 129, 89}},    {"SinusPic(1)", {164, 192, 129, 89}},
        {"SinusPic(3)", {452, 192, 129, 89}},   {"Label12", {168, 176, 25, 17}},
        {"Label8", {0, 296, 65, 17}},           {"Label9", {64, 296, 285, 17}},
        {"Label1", {420, 296, 69, 17}},         {"Label22", {488, 296, 111, 17}},
        {"Label7", {16, 320, 281, 17}},         {"picPreview", {16, 344, 281, 89}},
        {"Label21", {204, 444, 41, 17}},        {"txtPrvXmax", {248, 440, 49, 25}},
        {"lblpeakhigh", {304, 330, 45, 20}},    {"txtPrvYmin", {304, 352, 49, 25}},
        {"txtPrvYmax", {304, 396, 49, 25}},     {"lblpeaklow", {304, 424, 45, 20}},
        {"Label31", {372, 332, 25, 17}},        {"checkSin(0)", {404, 328, 17, 25}},
        {"checkSin(3)", {404, 424, 17, 25}},    {"Label27", {432, 428, 17, 17}},
        {"txtSinSpeed(2)", {448, 392, 49, 25}}, {"Command1", {516, 328, 73, 25}},
        {"Command3", {516, 400, 73, 25}},       {"cmdQuit", {516, 436, 73, 25}},
    };
    for (const auto& [name, rect] : expected)
        EXPECT_EQ(rectOf(*window, name), rect) << name;

    // And every control of the table, by the same rule.
    for (const LayoutItem& item : kMainWindowLayout) {
        if (item.kind == ControlKind::Line || item.kind == ControlKind::Timer || item.kind == ControlKind::CommonDialog)
            continue;
        const QRect rect(item.rect.left / 12, item.rect.top / 12, item.rect.width / 12, item.rect.height / 12);
        EXPECT_EQ(rectOf(*window, controlName(item)), rect) << controlName(item);
    }
    EXPECT_EQ(window->size(), QSize(599, 478));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()); // the user cannot resize it
}

TEST_F(MainWindowTest, LinesDrawADarkEdgeJustOutsideEachPictureBox) {
    // A 2-pixel line centred on the box's top or left edge, half covered by the box; 1-pixel
    // rules along the bands, clipped at the client edge.
    const std::vector<std::pair<std::string, QRect>> expected = {
        {"Line1", {0, 296, 601, 1}},   {"Line2", {0, 312, 601, 1}},    {"Line3", {0, 24, 601, 1}},
        {"Line5", {19, 191, 130, 2}},  {"Line8", {19, 191, 2, 90}},    {"Line4", {163, 191, 130, 2}},
        {"Line12", {15, 343, 2, 90}},  {"Line13", {15, 343, 282, 2}},  {"Line11", {451, 191, 2, 90}},
    };
    for (const auto& [name, rect] : expected)
        EXPECT_EQ(rectOf(*window, name), rect) << name;

    // Drawn over the labels, under the windowed controls.
    const QImage shot = window->grab().toImage();
    const toolkit::Colour black{0, 0, 0};
    EXPECT_EQ(colourAt(shot, 19, 191), black);  // outside SinusPic(0), its top-left corner
    EXPECT_EQ(colourAt(shot, 80, 191), black);  // above it
    EXPECT_EQ(colourAt(shot, 30, 191), black);  // over the last row of its caption label
    EXPECT_EQ(colourAt(shot, 19, 250), black);  // left of it
    EXPECT_EQ(colourAt(shot, 80, 192), display::kPlotBack); // its own first row: the box covers the line
    EXPECT_EQ(colourAt(shot, 300, 24), black);  // Line3 across the top band's label
    EXPECT_EQ(colourAt(shot, 300, 296), black); // Line1 over Label9
    EXPECT_EQ(colourAt(shot, 300, 312), black); // Line2 over Label9
}

TEST_F(MainWindowTest, LabelsHaveTheirColoursAlignmentAndFonts) {
    auto label = [&](const char* name) { return window->control<QLabel>(name); };
    const auto back = [](const QLabel* l) { return l->palette().color(QPalette::Window); };
    const auto fore = [](const QLabel* l) { return l->palette().color(QPalette::WindowText); };
    EXPECT_EQ(back(label("Label15")), QColor(128, 128, 128));
    EXPECT_EQ(fore(label("Label15")), QColor(192, 192, 192));
    EXPECT_EQ(back(label("Label1")), QColor(192, 192, 192));
    EXPECT_EQ(fore(label("lblpeaklow")), QColor(255, 0, 0));
    EXPECT_EQ(back(label("label2")), QApplication::palette().color(QPalette::Button)); // a light band
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(128, 128, 128));

    EXPECT_EQ(label("Label5")->text(), "Offset ");
    EXPECT_EQ(label("Label8")->text(), "Preview ");
    EXPECT_TRUE(label("Label5")->alignment() & Qt::AlignRight);
    EXPECT_TRUE(label("Label32")->alignment() & Qt::AlignRight);
    EXPECT_TRUE(label("Label7")->alignment() & Qt::AlignLeft);

    EXPECT_TRUE(label("Label23")->font().bold());
    EXPECT_TRUE(label("Label8")->font().bold());
    EXPECT_FALSE(label("label2")->font().bold());
    EXPECT_TRUE(label("lblpeakhigh")->font().bold());
    const QFontMetrics peak(label("lblpeakhigh")->font()); // a fixed-pitch face, as "Terminal" is
    EXPECT_EQ(peak.horizontalAdvance('i'), peak.horizontalAdvance('W'));
    EXPECT_EQ(label("Label7")->text(), "f(x)=sin1(x+x1)+sin2(x+x2)+sin3(x+x3)+sin4(x+x4)");
}

TEST_F(MainWindowTest, CaptionIconAndButtons) {
    const QString caption = window->windowTitle();
    EXPECT_TRUE(caption.startsWith("::.." + QString(24, ' ') + "..:: ")) << caption.toStdString();
    EXPECT_TRUE(caption.endsWith(" ::.." + QString(21, ' ') + "..::")) << caption.toStdString();
    EXPECT_TRUE(caption.contains("Ondulix V1"));

    // Every drawing of the icon: the task switcher shows the larger ones.
    EXPECT_EQ(window->windowIcon().availableSizes(),
              QList<QSize>({{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    EXPECT_LE(window->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_Indexed8).colorCount(),
              16);

    EXPECT_EQ(window->control<QPushButton>("Command1")->text(), "write file");
    EXPECT_EQ(window->control<QPushButton>("Command2")->text(), "about this");
    EXPECT_EQ(window->control<QPushButton>("Command3")->text(), "about us");
    EXPECT_EQ(window->control<QPushButton>("cmdQuit")->text(), "qUiT!");
}

TEST_F(MainWindowTest, TabWalksTheTableRowByRowThenThePreviewControls) {
    std::vector<std::string> expected;
    for (int row = 0; row < 4; ++row)
        for (const char* column : {"txtSinLen", "txtSinOffs", "txtSinWaves", "txtSinMin", "txtSinMax", "txtSinOrigin",
                                   "txtSinRange"})
            expected.push_back(std::string(column) + "(" + std::to_string(row) + ")");
    for (const char* name : {"txtPrvXmax", "txtPrvYmin", "txtPrvYmax"})
        expected.emplace_back(name);
    for (int i = 0; i < 4; ++i)
        expected.push_back("checkSin(" + std::to_string(i) + ")");
    for (int i = 0; i < 4; ++i)
        expected.push_back("txtSinSpeed(" + std::to_string(i) + ")");
    for (const char* name : {"Command1", "Command2", "Command3", "cmdQuit", "picPreview"})
        expected.emplace_back(name);

    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    std::vector<std::string> visited;
    for (std::size_t i = 0; i <= expected.size(); ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        visited.push_back(focused->objectName().toStdString());
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    expected.push_back("txtSinLen(0)"); // and round again
    EXPECT_EQ(visited, expected);
}

} // namespace
} // namespace ondulix::ui::qt
