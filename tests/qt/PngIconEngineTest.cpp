#include "ui/qt/PngIconEngine.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <set>
#include <string>

namespace ondulix::ui::qt {
namespace {

const QList<int> kEdges = {16, 32, 48, 64, 128, 256};

QPixmap drawing(int edge) {
    QImageReader reader(QStringLiteral(":/ondulix/icons/ondulix-%1.png").arg(edge), "png");
    return QPixmap::fromImage(reader.read());
}

QImage imageOf(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32); }

TEST(PngIconEngine, TheProgramIconHasEveryDrawingAndScalesDownFromTheNextLarger) {
    const QIcon icon = OndulixIcon();
    QList<QSize> expected;
    for (const int edge : kEdges)
        expected.append(QSize(edge, edge));
    EXPECT_EQ(icon.availableSizes(), expected);

    for (const int edge : kEdges) {
        const QImage original = imageOf(drawing(edge));
        ASSERT_EQ(original.size(), QSize(edge, edge)) << edge;
        EXPECT_EQ(imageOf(icon.pixmap(QSize(edge, edge), 1.0)), original) << edge;
    }
    // Between two drawings: the larger one, scaled down; past the largest: the largest as it is.
    EXPECT_EQ(icon.actualSize(QSize(24, 24)), QSize(24, 24));
    EXPECT_EQ(imageOf(icon.pixmap(QSize(24, 24), 1.0)),
              imageOf(drawing(32).scaled(24, 24, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    EXPECT_EQ(icon.actualSize(QSize(512, 512)), QSize(256, 256));
    EXPECT_EQ(imageOf(icon.pixmap(QSize(512, 512), 1.0)), imageOf(drawing(256)));
}

// The image format plugins this process has loaded, from its memory map.
std::string loadedImagePlugins() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return "(no /proc/self/maps)";
    std::set<std::string> plugins;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains("/imageformats/"))
            plugins.insert(line.mid(line.lastIndexOf('/') + 1).toStdString());
    std::string names;
    for (const std::string& plugin : plugins)
        names += plugin + " ";
    return names;
}

// Probing the image format plugins was a good part of the window's start-up; reading the icon,
// at every size, loads none. Run in a fresh process, which no other test has made load them.
TEST(PngIconEngine, ReadingTheIconLoadsNoImageFormatPlugin) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const QIcon icon = OndulixIcon();
            for (const QSize& size : icon.availableSizes())
                icon.pixmap(size, 1.0);
            icon.pixmap(QSize(24, 24), 1.0);
            const std::string plugins = loadedImagePlugins();
            std::cerr << "loaded: " << plugins << std::endl;
            std::exit(plugins.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "loaded: \n");
}

} // namespace
} // namespace ondulix::ui::qt
