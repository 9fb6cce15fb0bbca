#include "client/cardart.h"

#include "client/board.h"
#include "client/uistyle.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmapCache>

namespace gorse {

namespace {

const QRectF kCardRect(1.5, 1.5, CardArt::kWidth - 3, CardArt::kHeight - 3);

QImage blankImage(qreal scale)
{
    QImage image(CardArt::pixelSize(scale), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A painter that draws in design pixels onto an image of any scale.
void beginScaled(QPainter& p, const QImage& image)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(qreal(image.width()) / CardArt::kWidth, qreal(image.height()) / CardArt::kHeight);
}

QString cacheKey(const char* what, int card, qreal scale, qreal dpr)
{
    const QSize size = CardArt::pixelSize(scale * dpr);
    return QStringLiteral("gorse-card-%1-%2-%3x%4")
        .arg(QLatin1StringView(what))
        .arg(card)
        .arg(size.width())
        .arg(size.height());
}

// Largest bold font in which text fits the given width, at most maxPixels.
QFont fittingFont(const QString& text, int maxPixels, int width)
{
    QFont font = arialFont(maxPixels, true);
    for (int px = maxPixels; px > 8; px -= 2) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(text) <= width)
            break;
    }
    return font;
}

} // namespace

QSize CardArt::pixelSize(qreal scale)
{
    return QSize(qMax(1, qRound(kWidth * scale)), qMax(1, qRound(kHeight * scale)));
}

QImage CardArt::paintCard(int card, qreal scale)
{
    QImage image = blankImage(scale);
    QPainter p(&image);
    beginScaled(p, image);
    const QString face = Board::cardFace(card);

    if (face.isEmpty()) {
        // No card left on this pile: a dark, empty tray.
        p.setPen(QPen(QColor(90, 90, 90), 2));
        p.setBrush(QColor(40, 40, 40));
        p.drawRoundedRect(kCardRect, 7, 7);
        p.setPen(QPen(QColor(110, 110, 110), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(22, 40), QPointF(52, 67));
        p.drawLine(QPointF(52, 40), QPointF(22, 67));
        return image;
    }

    // Single letters on ivory; letter groups on a pale gold, so that a group
    // stands out among the piles; the QU card in pale green.
    const bool group = card >= 27;
    const bool qu = card == 17;
    QColor top = group ? QColor(255, 238, 196) : qu ? QColor(220, 245, 220) : QColor(255, 253, 244);
    QColor bottom = group ? QColor(235, 204, 140)
                    : qu  ? QColor(176, 220, 176)
                          : QColor(232, 226, 206);
    QLinearGradient fill(0, 0, 0, kHeight);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(QColor(70, 50, 30), 2));
    p.setBrush(fill);
    p.drawRoundedRect(kCardRect, 7, 7);
    p.setPen(QPen(QColor(150, 120, 80), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(kCardRect.adjusted(4, 4, -4, -4), 4, 4);

    // The face, large in the middle.
    p.setPen(QColor(30, 24, 20));
    const int maxPixels = face.size() == 1 ? 54 : face.size() == 2 ? 36 : 26;
    p.setFont(fittingFont(face, maxPixels, kWidth - 14));
    p.drawText(QRectF(0, 8, kWidth, kHeight - 16), Qt::AlignCenter, face);

    // The face again, small, in the top left and bottom right corners.
    p.setFont(arialFont(11, true));
    p.setPen(QColor(120, 40, 30));
    p.drawText(QRectF(7, 6, 40, 14), Qt::AlignLeft | Qt::AlignTop, face);
    p.drawText(QRectF(kWidth - 47, kHeight - 20, 40, 14), Qt::AlignRight | Qt::AlignBottom, face);
    return image;
}

QImage CardArt::paintEmptiedSlot(qreal scale)
{
    QImage image = blankImage(scale);
    QPainter p(&image);
    beginScaled(p, image);
    // The card is in the word: a dashed outline where it lay.
    p.setPen(QPen(QColor(230, 230, 230, 150), 2, Qt::DashLine));
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawRoundedRect(kCardRect, 7, 7);
    return image;
}

QPixmap CardArt::picture(int card, qreal scale, qreal devicePixelRatio)
{
    if (card < 0 || card > kCardCount)
        card = 0;
    const QString key = cacheKey("face", card, scale, devicePixelRatio);
    QPixmap pix;
    if (!QPixmapCache::find(key, &pix)) {
        pix = QPixmap::fromImage(paintCard(card, scale * devicePixelRatio));
        pix.setDevicePixelRatio(devicePixelRatio);
        QPixmapCache::insert(key, pix);
    }
    return pix;
}

QPixmap CardArt::emptiedSlot(qreal scale, qreal devicePixelRatio)
{
    const QString key = cacheKey("emptied", 0, scale, devicePixelRatio);
    QPixmap pix;
    if (!QPixmapCache::find(key, &pix)) {
        pix = QPixmap::fromImage(paintEmptiedSlot(scale * devicePixelRatio));
        pix.setDevicePixelRatio(devicePixelRatio);
        QPixmapCache::insert(key, pix);
    }
    return pix;
}

} // namespace gorse
