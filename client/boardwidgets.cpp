#include "client/boardwidgets.h"

#include "client/cardart.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace gorse {

CardImage::CardImage(int pile, QWidget* parent) : QWidget(parent), m_pile(pile)
{
}

void CardImage::setPicture(int picture)
{
    if (picture == m_picture)
        return;
    m_picture = picture;
    update();
}

void CardImage::setClickable(bool on)
{
    if (on == m_clickable)
        return;
    m_clickable = on;
    setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

QPixmap CardImage::pixmap() const
{
    const qreal scale = qreal(width()) / kDesignSize.width();
    const qreal dpr = devicePixelRatioF();
    return m_picture == kEmptied ? CardArt::emptiedSlot(scale, dpr)
                                 : CardArt::picture(m_picture, scale, dpr);
}

void CardImage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, pixmap());
    if (m_clickable && m_hover && m_picture != kEmptied) {
        // A soft light over a card that a click would take.
        p.setRenderHint(QPainter::Antialiasing);
        const qreal scale = qreal(width()) / kDesignSize.width();
        p.setPen(QPen(QColor(255, 230, 120), 2 * scale));
        p.setBrush(QColor(255, 255, 200, 40));
        p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 7 * scale, 7 * scale);
    }
}

void CardImage::enterEvent(QEnterEvent*)
{
    m_hover = true;
    if (m_clickable)
        update();
}

void CardImage::leaveEvent(QEvent*)
{
    m_hover = false;
    if (m_clickable)
        update();
}

void CardImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()))
        emit released(m_pile, event->button());
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

TimerBar::TimerBar(int fullWidth, QWidget* parent) : QWidget(parent), m_fullWidth(fullWidth)
{
}

void TimerBar::setBarWidth(int width)
{
    if (width == m_width)
        return;
    m_width = width;
    update();
}

void TimerBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(214, 214, 224));
    if (m_width <= 0)
        return;
    QLinearGradient band(0, 0, 0, height());
    band.setColorAt(0, QColor(140, 190, 235));
    band.setColorAt(1, QColor(70, 130, 200));
    const int shown = m_fullWidth > 0 ? qRound(qreal(m_width) * width() / m_fullWidth) : 0;
    p.fillRect(QRect(0, 0, qMin(shown, width()), height()), band);
}

} // namespace gorse
