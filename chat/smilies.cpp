#include "chat/smilies.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace gorse {

namespace {

enum class Eyes { Dots, Wink, Happy, Shades, Closed, Crosses, Round };
enum class Mouth { Smile, Grin, Frown, Flat, Open, Tongue, Wavy };

struct Face
{
    QRgb fill;
    Eyes eyes;
    Mouth mouth;
    bool tear = false;
    bool brows = false;
};

constexpr std::array<Face, 18> kFaces{{
    {0xFFFFD200, Eyes::Dots, Mouth::Smile},
    {0xFFFFD200, Eyes::Dots, Mouth::Grin},
    {0xFFFFD200, Eyes::Wink, Mouth::Smile},
    {0xFFFFD200, Eyes::Dots, Mouth::Frown},
    {0xFFFFD200, Eyes::Round, Mouth::Open},
    {0xFFFFD200, Eyes::Dots, Mouth::Tongue},
    {0xFFFFD200, Eyes::Shades, Mouth::Smile},
    {0xFFFFD200, Eyes::Dots, Mouth::Flat},
    {0xFFFF5A3C, Eyes::Dots, Mouth::Frown, false, true},
    {0xFFFFD200, Eyes::Happy, Mouth::Grin},
    {0xFFA8D86A, Eyes::Dots, Mouth::Wavy},
    {0xFF9CC8FF, Eyes::Dots, Mouth::Frown, true},
    {0xFFFF9EC4, Eyes::Happy, Mouth::Smile},
    {0xFFFFD200, Eyes::Closed, Mouth::Flat},
    {0xFFFFA040, Eyes::Dots, Mouth::Smile},
    {0xFFC0C0C0, Eyes::Crosses, Mouth::Flat},
    {0xFFB070E0, Eyes::Dots, Mouth::Grin, false, true},
    {0xFFFFFFFF, Eyes::Round, Mouth::Open},
}};

void drawEyes(QPainter& p, Eyes eyes)
{
    const QPointF left(6.0, 6.0);
    const QPointF right(11.0, 6.0);
    switch (eyes) {
    case Eyes::Dots:
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(left, 1.2, 1.5);
        p.drawEllipse(right, 1.2, 1.5);
        break;
    case Eyes::Wink:
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(left, 1.2, 1.5);
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(QPointF(9.5, 6.0), QPointF(12.5, 6.0));
        break;
    case Eyes::Happy:
        p.setPen(QPen(Qt::black, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.5, 5.0, 3.0, 3.0), 0, 180 * 16);
        p.drawArc(QRectF(9.5, 5.0, 3.0, 3.0), 0, 180 * 16);
        break;
    case Eyes::Shades:
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(3.5, 4.5, 4.5, 3.0), 1.0, 1.0);
        p.drawRoundedRect(QRectF(9.0, 4.5, 4.5, 3.0), 1.0, 1.0);
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(QPointF(7.5, 5.5), QPointF(9.5, 5.5));
        break;
    case Eyes::Closed:
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(QPointF(4.5, 6.5), QPointF(7.5, 6.5));
        p.drawLine(QPointF(9.5, 6.5), QPointF(12.5, 6.5));
        break;
    case Eyes::Crosses:
        p.setPen(QPen(Qt::black, 1.0));
        for (const QPointF& c : {left, right}) {
            p.drawLine(c + QPointF(-1.5, -1.5), c + QPointF(1.5, 1.5));
            p.drawLine(c + QPointF(-1.5, 1.5), c + QPointF(1.5, -1.5));
        }
        break;
    case Eyes::Round:
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(Qt::white);
        p.drawEllipse(left, 2.0, 2.2);
        p.drawEllipse(right, 2.0, 2.2);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(left, 0.8, 0.8);
        p.drawEllipse(right, 0.8, 0.8);
        break;
    }
}

void drawMouth(QPainter& p, Mouth mouth)
{
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(Qt::NoBrush);
    switch (mouth) {
    case Mouth::Smile:
        p.drawArc(QRectF(4.5, 6.0, 8.0, 6.0), 200 * 16, 140 * 16);
        break;
    case Mouth::Grin: {
        QPainterPath path;
        path.moveTo(4.5, 9.5);
        path.lineTo(12.5, 9.5);
        path.arcTo(QRectF(4.5, 6.0, 8.0, 7.0), 0, -180);
        p.setBrush(QColor(0x80, 0x10, 0x10));
        p.drawPath(path);
        break;
    }
    case Mouth::Frown:
        p.drawArc(QRectF(5.0, 10.5, 7.0, 5.0), 30 * 16, 120 * 16);
        break;
    case Mouth::Flat:
        p.drawLine(QPointF(5.5, 11.5), QPointF(11.5, 11.5));
        break;
    case Mouth::Open:
        p.setBrush(QColor(0x80, 0x10, 0x10));
        p.drawEllipse(QPointF(8.5, 11.5), 1.8, 2.0);
        break;
    case Mouth::Tongue:
        p.drawLine(QPointF(5.0, 10.5), QPointF(12.0, 10.5));
        p.setPen(QPen(QColor(0xA0, 0x20, 0x20), 0.8));
        p.setBrush(QColor(0xFF, 0x60, 0x70));
        p.drawChord(QRectF(7.0, 9.0, 4.0, 5.0), 180 * 16, 180 * 16);
        break;
    case Mouth::Wavy: {
        QPainterPath path;
        path.moveTo(4.5, 11.5);
        path.cubicTo(6.0, 9.5, 7.0, 13.5, 8.5, 11.5);
        path.cubicTo(10.0, 9.5, 11.0, 13.5, 12.5, 11.5);
        p.drawPath(path);
        break;
    }
    }
}

} // namespace

QImage paintSmiley(int index)
{
    if (index < 0 || index >= int(kFaces.size()))
        index = 0;
    const Face& face = kFaces[std::size_t(index)];

    QImage image(kSmileyWidth, kSmileyHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x50, 0x40, 0x00), 1.0));
    p.setBrush(QColor::fromRgba(face.fill));
    p.drawEllipse(QRectF(1.0, 0.5, 15.0, 15.0));

    drawEyes(p, face.eyes);
    drawMouth(p, face.mouth);
    if (face.brows) {
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(QPointF(4.0, 2.5), QPointF(7.5, 4.0));
        p.drawLine(QPointF(13.0, 2.5), QPointF(9.5, 4.0));
    }
    if (face.tear) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x20, 0x60, 0xE0));
        p.drawEllipse(QPointF(4.5, 9.5), 1.0, 1.5);
    }
    p.end();
    return image;
}

} // namespace gorse
