#include "client/boardscaler.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace gorse {

namespace {

QFont scaledFont(QFont font, qreal scale)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * scale)));
    else if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

bool sameFont(const QFont& a, const QFont& b)
{
    return a.family() == b.family() && a.pixelSize() == b.pixelSize() &&
           qFuzzyCompare(a.pointSizeF(), b.pointSizeF()) && a.weight() == b.weight() &&
           a.italic() == b.italic() && a.underline() == b.underline();
}

int scaledLength(int length, qreal scale)
{
    return length >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : qRound(length * scale);
}

} // namespace

BoardScaler::BoardScaler(QWidget* root, const QSize& designSize)
    : QObject(root), m_root(root), m_designSize(designSize)
{
    m_root->installEventFilter(this);
    m_root->setMinimumSize(sizeForZoom(m_zoom));
    update();
}

QSize BoardScaler::sizeForZoom(qreal zoom) const
{
    return QSize(int(std::ceil(m_designSize.width() * zoom - 0.001)),
                 int(std::ceil(m_designSize.height() * zoom - 0.001)));
}

void BoardScaler::setZoom(qreal zoom)
{
    m_zoom = qBound(kMinZoom, zoom, kMaxZoom);
    m_root->setMinimumSize(sizeForZoom(m_zoom));
}

qreal BoardScaler::fitScale(const QSize& design, const QSize& area)
{
    if (design.isEmpty())
        return 1.0;
    const qreal fit =
        qMin(qreal(area.width()) / design.width(), qreal(area.height()) / design.height());
    return qMax(1.0, std::floor(fit * 1000.0 + 1e-6) / 1000.0);
}

QRect BoardScaler::scaled(const QRect& design, qreal scale, const QPoint& offset)
{
    const int left = qRound(design.x() * scale);
    const int top = qRound(design.y() * scale);
    const int right = qRound((design.x() + design.width()) * scale);
    const int bottom = qRound((design.y() + design.height()) * scale);
    return QRect(left, top, right - left, bottom - top).translated(offset);
}

QRect BoardScaler::designGeometry(const QWidget* widget) const
{
    const auto it = m_entries.constFind(widget);
    if (it == m_entries.constEnd() || !it->place)
        return QRect();
    return it->design;
}

QFont BoardScaler::designFont(const QWidget* widget) const
{
    const auto it = m_entries.constFind(widget);
    if (it == m_entries.constEnd() || !it->ownFont)
        return widget->font();
    return it->font;
}

bool BoardScaler::descends(const QWidget* widget)
{
    // Composite controls place their own parts.
    return !qobject_cast<const QAbstractScrollArea*>(widget) &&
           !qobject_cast<const QLineEdit*>(widget) &&
           !qobject_cast<const QAbstractButton*>(widget) &&
           !qobject_cast<const QAbstractSpinBox*>(widget) &&
           !qobject_cast<const QComboBox*>(widget);
}

void BoardScaler::adopt(QWidget* widget, bool place)
{
    if (m_entries.contains(widget))
        return;
    Entry entry;
    entry.widget = widget;
    entry.place = place;
    // A widget seen for the first time was placed by its code, in design
    // units.
    entry.design = widget->geometry();
    entry.applied = entry.design;
    entry.designMin = widget->minimumSize();
    entry.designMax = widget->maximumSize();
    entry.ownFont = widget->testAttribute(Qt::WA_SetFont);
    entry.font = widget->font();
    entry.appliedFont = entry.font;
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this,
            [this, widget] { m_entries.remove(static_cast<const QWidget*>(widget)); });
    m_entries.insert(widget, entry);
}

void BoardScaler::collect(QWidget* parent, bool place)
{
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        adopt(widget, place);
        if (descends(widget))
            collect(widget, widget->layout() == nullptr);
    }
}

void BoardScaler::update()
{
    collect(m_root, true);
    const QSize area = m_root->size();
    const qreal scale = fitScale(m_designSize, area);
    const QPoint offset(qMax(0, qRound((area.width() - m_designSize.width() * scale) / 2)),
                        qMax(0, qRound((area.height() - m_designSize.height() * scale) / 2)));
    const bool changed = !qFuzzyCompare(scale, m_scale);
    m_scale = scale;
    m_offset = offset;
    applyAll();
    if (changed)
        emit scaleChanged(m_scale);
}

void BoardScaler::sync(Entry& entry)
{
    QWidget* w = entry.widget;
    if (entry.place) {
        if (w->pos() != entry.applied.topLeft())
            entry.design.moveTopLeft(w->pos());
        if (w->size() != entry.applied.size())
            entry.design.setSize(w->size());
    }
    if (w->testAttribute(Qt::WA_SetFont) && !sameFont(w->font(), entry.appliedFont)) {
        entry.ownFont = true;
        entry.font = w->font();
    }
}

void BoardScaler::apply(Entry& entry)
{
    QWidget* w = entry.widget;
    if (!w)
        return;
    m_applying = true;
    if (entry.place) {
        const bool top = w->parentWidget() == m_root;
        entry.applied = scaled(entry.design, m_scale, top ? m_offset : QPoint());
        const QSize size = entry.applied.size();
        if (entry.designMin == entry.designMax) {
            w->setFixedSize(size);
        } else {
            w->setMinimumSize(
                QSize(qMin(size.width(), scaledLength(entry.designMin.width(), m_scale)),
                      qMin(size.height(), scaledLength(entry.designMin.height(), m_scale))));
            w->setMaximumSize(
                QSize(qMax(size.width(), scaledLength(entry.designMax.width(), m_scale)),
                      qMax(size.height(), scaledLength(entry.designMax.height(), m_scale))));
        }
        w->setGeometry(entry.applied);
    }
    if (entry.ownFont) {
        entry.appliedFont = scaledFont(entry.font, m_scale);
        if (!sameFont(w->font(), entry.appliedFont))
            w->setFont(entry.appliedFont);
    }
    m_applying = false;
}

void BoardScaler::applyAll()
{
    if (m_scale != 1.0 || m_root->testAttribute(Qt::WA_SetFont)) {
        if (!m_root->testAttribute(Qt::WA_SetFont))
            m_rootFont = m_root->font();
        m_root->setFont(scaledFont(m_rootFont, m_scale));
    }
    for (Entry& entry : m_entries) {
        if (!entry.widget)
            continue;
        sync(entry);
        apply(entry);
    }
}

bool BoardScaler::eventFilter(QObject* watched, QEvent* event)
{
    if (m_applying)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == m_root) {
            update();
            return false;
        }
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::FontChange: {
        const auto it = m_entries.find(static_cast<QWidget*>(watched));
        if (it != m_entries.end() && it->widget) {
            const QRect design = it->design;
            const QFont font = it->font;
            sync(*it);
            if (it->design != design || !sameFont(it->font, font))
                apply(*it);
        }
        break;
    }
    case QEvent::ChildAdded:
        // New widgets are placed in design units by the code that makes
        // them: pick them up once that code has run.
        if (!m_updateQueued) {
            m_updateQueued = true;
            QTimer::singleShot(0, this, [this] {
                m_updateQueued = false;
                update();
            });
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace gorse
