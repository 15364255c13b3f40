// Redraw in drawing units: logical rectangles turned into the view's device pixels, one at a
// time or gathered over an edit and handed to each view at its end.
#include "model/invalidate.h"

#include <algorithm>
#include <vector>

#include "model/drawing.h"

namespace {

// A rect asked for while a batch was open, still in logical units: the view's mapping does not
// change within an edit, so the corners are converted at the flush with one device context.
struct PendingRect {
    HWND window;
    RECT rect;
};

int g_batchDepth = 0;
std::vector<PendingRect> g_pending;
std::vector<HWND> g_wholeWindows;   // invalidated whole during the batch: their rects are covered

// Beyond this many separate rects per view their union is taken whatever it covers.
constexpr size_t kMaxSeparateRects = 8;

// Widens a device rect empty in width or height by one pixel either side.
void WidenEmpty(RECT* device)
{
    if (device->right == device->left) {
        --device->left;
        ++device->right;
    }
    if (device->bottom == device->top) {
        --device->top;
        ++device->bottom;
    }
}

void InvalidateNow(HWND window, const RECT& rect)
{
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    HDC dc = GetDC(window);
    LPtoDP(dc, corners, 2);
    ReleaseDC(window, dc);
    RECT device = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    WidenEmpty(&device);
    InvalidateRect(window, &device, FALSE);
}

LONGLONG Area(const RECT& r)
{
    return static_cast<LONGLONG>(r.right - r.left) * (r.bottom - r.top);
}

RECT Union(const RECT& a, const RECT& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Invalidates one window's gathered logical rects: each converted and widened exactly as a
// single call would, cut to the client area (the update region never reaches beyond it), then
// folded into a few rects; their union when it repaints at most twice their area.
void FlushWindow(HWND window, const std::vector<RECT>& logical)
{
    std::vector<POINT> corners;
    corners.reserve(logical.size() * 2);
    for (const RECT& r : logical) {
        corners.push_back({r.left, r.top});
        corners.push_back({r.right, r.bottom});
    }
    HDC dc = GetDC(window);
    LPtoDP(dc, corners.data(), static_cast<int>(corners.size()));
    ReleaseDC(window, dc);

    RECT client = {};
    const bool clip = window != nullptr && GetClientRect(window, &client);
    std::vector<RECT> kept;
    for (size_t i = 0; i < logical.size(); ++i) {
        RECT device = {corners[2 * i].x, corners[2 * i].y, corners[2 * i + 1].x, corners[2 * i + 1].y};
        WidenEmpty(&device);
        // The window system orders a reversed rect's corners; do the same before comparing.
        if (device.left > device.right) std::swap(device.left, device.right);
        if (device.top > device.bottom) std::swap(device.top, device.bottom);
        if (clip && !IntersectRect(&device, &device, &client)) continue;
        if (std::any_of(kept.begin(), kept.end(), [&](const RECT& k) { return Contains(k, device); })) continue;
        if (kept.size() < kMaxSeparateRects) {
            kept.push_back(device);
            continue;
        }
        // Full: the rect joins the one it grows least.
        size_t best = 0;
        LONGLONG bestGrowth = -1;
        for (size_t k = 0; k < kept.size(); ++k) {
            LONGLONG growth = Area(Union(kept[k], device)) - Area(kept[k]);
            if (bestGrowth < 0 || growth < bestGrowth) {
                bestGrowth = growth;
                best = k;
            }
        }
        kept[best] = Union(kept[best], device);
    }
    if (kept.empty()) return;
    RECT all = kept[0];
    LONGLONG sum = 0;
    for (const RECT& k : kept) {
        all = Union(all, k);
        sum += Area(k);
    }
    if (kept.size() == 1 || Area(all) <= 2 * sum) {
        InvalidateRect(window, &all, FALSE);
        return;
    }
    for (const RECT& k : kept) InvalidateRect(window, &k, FALSE);
}

bool Gather(HWND window, const RECT* rect)
{
    try {
        if (!rect) {
            if (std::find(g_wholeWindows.begin(), g_wholeWindows.end(), window) == g_wholeWindows.end())
                g_wholeWindows.push_back(window);
            InvalidateRect(window, nullptr, FALSE);
        } else {
            g_pending.push_back({window, *rect});
        }
        return true;
    } catch (...) {
        return false;   // no memory to gather: invalidate at once
    }
}

}  // namespace

void InvalidateLogicalRect(HWND window, const RECT* rect)
{
    // An area repainted is an area whose objects may have changed, in any drawing.
    NoteModelChange();
    // A drawing opened without a view (the clipboard store's) has nothing to repaint; a null
    // window would otherwise invalidate every window of the desktop.
    if (!window) return;
    if (g_batchDepth > 0 && Gather(window, rect)) return;
    if (!rect) {
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    InvalidateNow(window, *rect);
}

InvalidationBatch::InvalidationBatch()
{
    ++g_batchDepth;
}

InvalidationBatch::~InvalidationBatch()
{
    if (--g_batchDepth == 0) FlushInvalidations();
}

void FlushInvalidations()
{
    std::vector<PendingRect> pending;
    std::vector<HWND> whole;
    pending.swap(g_pending);
    whole.swap(g_wholeWindows);
    try {
        std::vector<HWND> done = whole;
        std::vector<RECT> rects;
        for (size_t i = 0; i < pending.size(); ++i) {
            HWND window = pending[i].window;
            if (std::find(done.begin(), done.end(), window) != done.end()) continue;
            done.push_back(window);
            if (window && !IsWindow(window)) continue;
            rects.clear();
            for (size_t j = i; j < pending.size(); ++j) {
                if (pending[j].window == window) rects.push_back(pending[j].rect);
            }
            FlushWindow(window, rects);
        }
    } catch (...) {
        // No memory to fold the rects: repaint too much rather than too little.
        for (const PendingRect& p : pending) InvalidateRect(p.window, nullptr, FALSE);
    }
}
