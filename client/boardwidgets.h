#pragma once

// Small widgets the board is made of: a pile picture, a clickable label and
// the timer bar. They only draw and report clicks.

#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace gorse {

// One pile: draws its picture and reports a mouse button released over it.
class CardImage : public QWidget
{
    Q_OBJECT
public:
    CardImage(int pile, QWidget* parent = nullptr);
    int pile() const { return m_pile; }
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

signals:
    void released(int pile, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_pile;
    QPixmap m_picture;
};

// A label that reports a left click released over it.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The timer bar: a band of the given width, drawn from the left.
class TimerBar : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setBarWidth(int width);
    int barWidth() const { return m_width; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_width = 0;
};

} // namespace gorse
