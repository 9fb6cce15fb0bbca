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
