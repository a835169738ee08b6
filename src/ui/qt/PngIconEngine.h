#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QList>
#include <QPixmap>
#include <QString>

#include <vector>

namespace ondulix::ui::qt {

// An icon drawn at several sizes, one square PNG file each, read only when a size is first asked
// for and then by Qt's own PNG reader. An icon made with QIcon::addFile reads every file at once,
// and its reader asks every image format plugin (GIF, ICO, JPEG with its library) whether it
// knows the file before PNG is tried: loading them took a good part of the window's start-up.
// A size between two of the files is scaled down from the next larger one, as QIcon does. Every
// mode and state looks the same: a window's icon is never drawn greyed or selected.
class PngIconEngine final : public QIconEngine {
public:
    // Every *.png in the folder (a resource folder such as ":/ondulix/icons"); only the files'
    // headers are read here.
    explicit PngIconEngine(const QString& folder);

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    struct Drawing {
        QString path;
        int edge = 0;   // the file's width and height in pixels
        QPixmap pixmap; // once read
    };

    Drawing* drawingFor(const QSize& size);

    std::vector<Drawing> drawings_; // smallest first
};

// The program's icon, from the drawings built into it.
QIcon OndulixIcon();

} // namespace ondulix::ui::qt
