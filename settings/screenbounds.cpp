#include "settings/screenbounds.h"

#include <algorithm>
#include <limits>

namespace gorse {

namespace {

// A window can be dragged back by hand when this much of its top strip
// shows.
constexpr int kTitleStrip = 30;
constexpr int kGrabWidth = 60;
constexpr int kGrabHeight = 20;

bool reachable(const QRect& bounds, const QRect& screen)
{
    const QRect strip(bounds.left(), bounds.top(), bounds.width(),
                      std::min(kTitleStrip, bounds.height()));
    const QRect shown = strip.intersected(screen);
    return shown.width() >= std::min(kGrabWidth, strip.width()) &&
           shown.height() >= std::min(kGrabHeight, strip.height());
}

// Distance between two rectangles (0 when they touch or overlap), squared.
long long distance2(const QRect& a, const QRect& b)
{
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

int clampStart(int start, int length, int areaStart, int areaLength)
{
    const int last = areaStart + std::max(0, areaLength - length);
    return std::clamp(start, areaStart, last);
}

} // namespace

QRect ontoScreens(const QRect& bounds, const QList<QRect>& screens)
{
    if (screens.isEmpty() || !bounds.isValid())
        return bounds;
    if (std::any_of(screens.begin(), screens.end(),
                    [&](const QRect& s) { return reachable(bounds, s); }))
        return bounds;
    const QRect* nearest = &screens.first();
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& s : screens) {
        const long long d = distance2(bounds, s);
        if (d < best) {
            best = d;
            nearest = &s;
        }
    }
    QRect moved = bounds;
    moved.moveTo(clampStart(bounds.left(), bounds.width(), nearest->left(), nearest->width()),
                 clampStart(bounds.top(), bounds.height(), nearest->top(), nearest->height()));
    return moved;
}

QRect besideWindow(const QSize& size, const QRect& window, const QRect& keepClear,
                   const QList<QRect>& screens, const QSize& minimum)
{
    if (screens.isEmpty())
        return QRect(QPoint(window.right() + 1, window.top()), size);
    // Right, then left: the first screen that holds the whole width there,
    // level with window or as near as that screen allows.
    for (const int x : {window.right() + 1, window.left() - size.width()}) {
        for (const QRect& s : screens) {
            if (x < s.left() || x + size.width() - 1 > s.right() || s.top() > window.bottom() ||
                s.bottom() < window.top())
                continue;
            const int height = std::min(size.height(), s.height());
            return QRect(x, clampStart(window.top(), height, s.top(), s.height()), size.width(),
                         height);
        }
    }

    // No room on either side: the screen keepClear is on, and the largest
    // space there that keepClear leaves free.
    const QRect* screen = &screens.first();
    for (const QRect& s : screens) {
        if (s.contains(keepClear.center())) {
            screen = &s;
            break;
        }
    }
    const QRect& s = *screen;
    enum Side { Right, Left, Below, Above };
    const QRect spaces[] = {
        QRect(QPoint(keepClear.right() + 1, s.top()), s.bottomRight()),
        QRect(s.topLeft(), QPoint(keepClear.left() - 1, s.bottom())),
        QRect(QPoint(s.left(), keepClear.bottom() + 1), s.bottomRight()),
        QRect(s.topLeft(), QPoint(s.right(), keepClear.top() - 1)),
    };
    int best = Right;
    long long bestArea = -1;
    QSize fitted;
    for (int side = Right; side <= Above; ++side) {
        const QRect& space = spaces[side];
        const QSize fits(std::clamp(space.width(), 0, size.width()),
                         std::clamp(space.height(), 0, size.height()));
        const long long area = static_cast<long long>(fits.width()) * fits.height();
        if (area > bestArea) {
            best = side;
            bestArea = area;
            fitted = fits;
        }
    }
    fitted = fitted.expandedTo(minimum).boundedTo(s.size());
    const QRect& space = spaces[best];
    // Against keepClear's edge, level with window, then onto the screen.
    QPoint at;
    switch (best) {
    case Right:
        at = QPoint(space.left(), window.top());
        break;
    case Left:
        at = QPoint(space.right() + 1 - fitted.width(), window.top());
        break;
    case Below:
        at = QPoint(window.left(), space.top());
        break;
    default:
        at = QPoint(window.left(), space.bottom() + 1 - fitted.height());
        break;
    }
    return QRect(clampStart(at.x(), fitted.width(), s.left(), s.width()),
                 clampStart(at.y(), fitted.height(), s.top(), s.height()), fitted.width(),
                 fitted.height());
}

QRect shrinkForWorkArea(const QRect& bounds, const QRect& workArea)
{
    constexpr int kShrink = 15;
    QRect stored = bounds;
    if (bounds.width() > workArea.width())
        stored.setWidth(bounds.width() - kShrink);
    if (bounds.height() > workArea.height())
        stored.setHeight(bounds.height() - kShrink);
    return stored;
}

} // namespace gorse
