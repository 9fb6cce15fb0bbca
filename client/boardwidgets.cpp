#include "client/boardwidgets.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace gorse {

CardImage::CardImage(int pile, QWidget* parent) : QWidget(parent), m_pile(pile)
{
}

void CardImage::setPicture(const QPixmap& picture)
{
    if (picture.cacheKey() == m_picture.cacheKey())
        return;
    m_picture = picture;
    update();
}

void CardImage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
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
    p.fillRect(QRect(0, 0, qMin(m_width, width()), height()), band);
}

} // namespace gorse
