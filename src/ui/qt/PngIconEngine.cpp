#include "ui/qt/PngIconEngine.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>

namespace ondulix::ui::qt {
namespace {

// The width and height of a PNG file, from its header: the signature, then the IHDR chunk that
// begins with them. Setting up an image reader for it would cost more than the rest of the icon
// does at start-up.
QSize pngSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(24);
    if (header.size() < 24 || !header.startsWith("\x89PNG\r\n\x1a\n") || header.mid(12, 4) != "IHDR")
        return {};
    const char* dimensions = header.constData() + 16;
    return QSize(qFromBigEndian<qint32>(dimensions), qFromBigEndian<qint32>(dimensions + 4));
}

// The image, read as PNG by Qt's own reader.
QImage readPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

PngIconEngine::PngIconEngine(const QString& folder) {
    // Listed without a name filter, which QDir matches through a regular expression compiled
    // (and its matcher generated as machine code) for the call: a good part of the icon's cost.
    for (QDirIterator entries(folder, QDir::Files); entries.hasNext();) {
        const QString path = entries.next();
        if (!path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            continue;
        const QSize size = pngSize(path);
        if (size.isValid() && size.width() == size.height())
            drawings_.push_back({path, size.width(), {}});
    }
    std::sort(drawings_.begin(), drawings_.end(), [](const Drawing& a, const Drawing& b) { return a.edge < b.edge; });
}

// The smallest drawing that covers the size, else the largest.
PngIconEngine::Drawing* PngIconEngine::drawingFor(const QSize& size) {
    if (drawings_.empty())
        return nullptr;
    const int wanted = std::max(size.width(), size.height());
    const auto covering = std::find_if(drawings_.begin(), drawings_.end(),
                                       [&](const Drawing& drawing) { return drawing.edge >= wanted; });
    return covering == drawings_.end() ? &drawings_.back() : &*covering;
}

QSize PngIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
    const Drawing* drawing = drawingFor(size);
    if (!drawing)
        return {};
    return QSize(drawing->edge, drawing->edge).boundedTo(size);
}

QPixmap PngIconEngine::pixmap(const QSize& size, QIcon::Mode, QIcon::State) {
    Drawing* drawing = drawingFor(size);
    if (!drawing)
        return {};
    if (drawing->pixmap.isNull())
        drawing->pixmap = QPixmap::fromImage(readPng(drawing->path));
    QPixmap pixmap = drawing->pixmap;
    if (drawing->edge > std::min(size.width(), size.height()))
        pixmap = pixmap.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return pixmap;
}

void PngIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) {
    const qreal ratio = painter->device()->devicePixelRatioF();
    painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
}

QList<QSize> PngIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
    QList<QSize> sizes;
    for (const Drawing& drawing : drawings_)
        sizes.append(QSize(drawing.edge, drawing.edge));
    return sizes;
}

QIconEngine* PngIconEngine::clone() const { return new PngIconEngine(*this); }

QString PngIconEngine::key() const { return QStringLiteral("PngIconEngine"); }

QIcon OndulixIcon() { return QIcon(new PngIconEngine(QStringLiteral(":/ondulix/icons"))); }

} // namespace ondulix::ui::qt
