#pragma once

// Scales a window's table that is laid out at fixed design coordinates. The
// widgets are placed and sized in design pixels, as at 100 %; the scaler
// keeps each one's design geometry and font and applies them multiplied by
// the current scale, so every designed position stays in proportion and
// text is laid out anew at its size (crisp, never a stretched bitmap).
//
// Widgets are found by walking the root's children: free-standing children
// of containers without a layout are placed; a widget with a layout of its
// own is placed as a whole and its layout places its children; composite
// controls (edits, buttons, scroll areas) are placed as a whole. Every
// widget with a font of its own gets that font scaled. Code that moves,
// resizes or sets the font of a widget later does so in design units, as
// before; the scaler notices and applies the scale to the new value.
//
// The scale follows the root's size: the largest that fits the design size
// into the root, with the table centred. The zoom sets the root's minimum
// size (the design size times the zoom).

#include <QFont>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

namespace gorse {

class BoardScaler : public QObject
{
    Q_OBJECT
public:
    static constexpr qreal kMinZoom = 1.0;
    static constexpr qreal kMaxZoom = 3.0;

    // root is not owned (it is the scaler's parent).
    BoardScaler(QWidget* root, const QSize& designSize);

    qreal scale() const { return m_scale; }
    // Top left corner of the design area in the root.
    QPoint offset() const { return m_offset; }
    QSize designSize() const { return m_designSize; }

    qreal zoom() const { return m_zoom; }
    // Sets the zoom (brought into kMinZoom..kMaxZoom) and with it the root's
    // minimum size.
    void setZoom(qreal zoom);
    // The root's size for a zoom: the design size times the zoom, rounded up.
    QSize sizeForZoom(qreal zoom) const;

    // The largest scale at which the design fits an area, never below 1
    // (the minimum is the design size), to a thousandth.
    static qreal fitScale(const QSize& design, const QSize& area);

    // A managed widget's geometry in design coordinates (an invalid rect for
    // a widget the scaler does not place).
    QRect designGeometry(const QWidget* widget) const;
    // Its font at 100 %.
    QFont designFont(const QWidget* widget) const;

    // Looks for new widgets and applies the scale that fits the root now.
    void update();

    // Rounds a design rectangle to the root at a scale and offset: edges are
    // scaled, so neighbours stay neighbours.
    static QRect scaled(const QRect& design, qreal scale, const QPoint& offset = QPoint());

signals:
    void scaleChanged(qreal scale);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry
    {
        QPointer<QWidget> widget;
        bool place = false;
        QRect design;
        QRect applied;
        QSize designMin;
        QSize designMax;
        bool ownFont = false;
        QFont font;
        QFont appliedFont;
    };

    void collect(QWidget* parent, bool place);
    void adopt(QWidget* widget, bool place);
    void sync(Entry& entry);
    void apply(Entry& entry);
    void applyAll();
    static bool descends(const QWidget* widget);

    QWidget* m_root; // not owned
    QSize m_designSize;
    qreal m_scale = 1.0;
    qreal m_zoom = 1.0;
    QPoint m_offset;
    QFont m_rootFont;
    QHash<const QWidget*, Entry> m_entries;
    bool m_applying = false;
    bool m_updateQueued = false;
};

} // namespace gorse
