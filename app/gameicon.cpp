#include "app/gameicon.h"

#include <QIconEngine>
#include <QPainter>

namespace gorse {

namespace {

// Knows its sizes; builds the real icon from the files at the first
// question that needs an image.
class LazyIconEngine : public QIconEngine
{
public:
    explicit LazyIconEngine(QList<std::pair<QSize, QString>> files) : m_files(std::move(files)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const auto& file : m_files)
            sizes.append(file.first);
        return sizes;
    }
    bool isNull() override { return m_files.isEmpty(); }
    QString key() const override { return QStringLiteral("gorse-lazy"); }
    QIconEngine* clone() const override { return new LazyIconEngine(*this); }

private:
    const QIcon& icon()
    {
        if (m_icon.isNull()) {
            for (const auto& [size, path] : m_files)
                m_icon.addFile(path, size);
        }
        return m_icon;
    }

    QList<std::pair<QSize, QString>> m_files;
    QIcon m_icon; // null until first drawn
};

} // namespace

QIcon lazyIcon(const QList<std::pair<QSize, QString>>& files)
{
    return QIcon(new LazyIconEngine(files));
}

QIcon gameIcon()
{
    QList<std::pair<QSize, QString>> files;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        files.append({QSize(size, size),
                      QStringLiteral(":/icons/%1x%1/apps/com.velmarsoftware.Gorse.png").arg(size)});
    }
    return lazyIcon(files);
}

} // namespace gorse
