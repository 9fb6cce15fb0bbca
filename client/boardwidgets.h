#pragma once

// Small widgets the board is made of: a pile picture, a clickable label and
// the timer bar. They only draw and report clicks, at whatever size the
// window gives them.

#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace gorse {

// One pile: draws its picture (a card number, or kEmptied for a slot whose
// card is in the word) painted for its size, and reports a mouse button
// released over it. A pile that can be taken shows the pointing hand and
// lights up under the mouse.
class CardImage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kEmptied = -1;
    // The widget's size at 100 %.
    static constexpr QSize kDesignSize{73, 105};

    CardImage(int pile, QWidget* parent = nullptr);
    int pile() const { return m_pile; }
    void setPicture(int picture);
    int picture() const { return m_picture; }
    // The pixmap drawn now: the picture painted at the widget's scale.
    QPixmap pixmap() const;
    void setClickable(bool on);
    bool clickable() const { return m_clickable; }

signals:
    void released(int pile, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int m_pile;
    int m_picture = 0;
    bool m_clickable = false;
    bool m_hover = false;
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

// The timer bar: a band of the given width, drawn from the left. Widths are
// in design pixels, out of fullWidth; the band is drawn in proportion at the
// widget's size.
class TimerBar : public QWidget
{
    Q_OBJECT
public:
    TimerBar(int fullWidth, QWidget* parent = nullptr);
    void setBarWidth(int width);
    int barWidth() const { return m_width; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_fullWidth;
    int m_width = 0;
};

} // namespace gorse
