// Growing the object being edited in place with its text.
#include "frame/text_growth.h"

#include <cstring>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "model/drawing.h"
#include "model/selection.h"
#include "shapes/shape_rects.h"
#include "text/ten_messages.h"
#include "text/text_paint.h"
#include "text/text_records.h"

namespace {

bool IsTextEditor(HWND window)
{
    char name[16] = {};
    return window && GetClassNameA(window, name, sizeof name) && std::strcmp(name, "TENClass") == 0;
}

RECT Deflated(RECT r, const RECT& by)
{
    r.left += by.left;
    r.top += by.top;
    r.right -= by.right;
    r.bottom -= by.bottom;
    return r;
}

// Splits a growth between two edges by the alignment: 2 and 8 move the first edge, 6 both
// (the odd unit to the second), anything else the second.
void Grow(LONG* first, LONG* second, int delta, int alignment, int towardFirst)
{
    if (alignment == towardFirst) {
        *first -= delta;
    } else if (alignment == 6) {
        *first -= delta / 2;
        *second += delta - delta / 2;
    } else {
        *second += delta;
    }
}

}  // namespace

void AdjustEditorMargins(HWND view, HWND editor, INT32* size, RECT* marginChange, RECT* shadow)
{
    *marginChange = RECT{};
    *shadow = RECT{};
    Locked<TenState> ten(TenStateHandle(editor));
    Locked<DocumentState> state(GetDocumentStateHandle(view));
    if (!ten || !state) return;
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return;
    if (ten->flags & TenFlagShadow) GetShadowOffsetRect(drawing.get(), shadow, 0);
    DrawObject copy;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects || ten->ownerRow < 0 || ten->ownerRow >= objects->count) return;
        copy = (*objects)[ten->ownerRow];
    }
    copy.frame = Deflated(RECT{0, 0, ten->width, ten->height}, *shadow);
    ComputeShapeTextMargins(&copy, FALSE);
    const RECT kept = copy.textInset;
    copy.frame = Deflated(RECT{0, 0, size[0], size[1]}, *shadow);
    if (copy.textFit != 0) {
        copy.frame = Deflated(copy.frame, kept);
        ComputeShapeTextMargins(&copy, TRUE);
    } else {
        ComputeShapeTextMargins(&copy, FALSE);
    }
    const RECT& inset = copy.textInset;
    *marginChange = RECT{kept.left - inset.left, kept.top - inset.top, kept.right - inset.right,
                         kept.bottom - inset.bottom};
    ten->margins.left -= marginChange->left;
    ten->margins.top -= marginChange->top;
    ten->margins.right -= marginChange->right;
    ten->margins.bottom -= marginChange->bottom;
    if (copy.textFit != 0) {
        size[0] -= marginChange->left + marginChange->right;
        size[1] -= marginChange->top + marginChange->bottom;
    }
}

LRESULT OnEditorSizeRequest(HWND view, LPARAM lParam)
{
    INT32* size = reinterpret_cast<INT32*>(lParam);
    HWND editor = nullptr;
    if (HGLOBAL stateBlock = GetDocumentStateHandle(view)) {
        Locked<DocumentState> state(stateBlock);
        if (state) editor = state->textEditor;
    }
    if (!editor) editor = GetWindow(view, GW_CHILD);
    if (!editor || !size || !IsTextEditor(editor) || !TenStateHandle(editor)) return 1;
    if (SendMessageA(editor, TEN_GETEDITORKIND, 0, 0) != 1) return 1;
    int alignH = static_cast<int>(SendMessageA(editor, TEN_GETALIGNMENT, 0, 0));
    int alignV = static_cast<int>(SendMessageA(editor, TEN_GETVERTICALALIGN, 0, 0));
    POINT origin;
    {
        Locked<TenState> ten(TenStateHandle(editor));
        if (ten->flags & TenFlagRotated) alignH = alignV = 6;
        origin = POINT{ten->originX, ten->originY};
    }
    RECT change, shadow;
    AdjustEditorMargins(view, editor, size, &change, &shadow);

    RECT frame = {};
    SendMessageA(editor, TEN_FRAMERECT, 0, reinterpret_cast<LPARAM>(&frame));
    const int dx = size[0] - shadow.left - shadow.right - (frame.right - frame.left);
    const int dy = size[1] - shadow.top - shadow.bottom - (frame.bottom - frame.top);
    RECT next = frame;
    Grow(&next.left, &next.right, dx, alignH, 2);
    Grow(&next.top, &next.bottom, dy, alignV, 8);
    next.left -= shadow.left;
    next.top -= shadow.top;
    next.right += shadow.right;
    next.bottom += shadow.bottom;

    int areaWidth = 0, areaHeight = 0;
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        if (state) {
            areaWidth = state->areaWidth;
            areaHeight = state->areaHeight;
        }
    }
    if (next.left < 0) OffsetRect(&next, -next.left, 0);
    else if (areaWidth > 0 && next.right > areaWidth) OffsetRect(&next, areaWidth - next.right, 0);
    if (next.top < 0) OffsetRect(&next, 0, -next.top);
    else if (areaHeight > 0 && next.bottom > areaHeight) OffsetRect(&next, 0, areaHeight - next.bottom);

    RECT old;
    GetWindowRect(editor, &old);
    MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&old), 2);
    RECT pixels = next;
    if (HDC dc = GetDC(view)) {
        LPtoDP(dc, reinterpret_cast<POINT*>(&pixels), 2);
        ReleaseDC(view, dc);
    }
    if (next.left != origin.x || next.top != origin.y) {
        SetWindowPos(editor, nullptr, pixels.left, pixels.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
        SendMessageA(editor, TEN_SETORIGIN, 0, MAKELPARAM(next.left, next.top));
    }

    // Strips a narrower or lower editor uncovers are repainted at once, through the back buffer.
    bool uncovered = false;
    auto strip = [&](LONG l, LONG t, LONG r, LONG b) {
        if (r <= l || b <= t) return;
        RECT area = {l, t, r, b};
        InvalidateRect(view, &area, FALSE);
        uncovered = true;
    };
    const bool narrower = pixels.right - pixels.left < old.right - old.left;
    const bool lower = pixels.bottom - pixels.top < old.bottom - old.top;
    if (narrower || lower) {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        if (state) state->flags |= DocRedraw;
    }
    if (narrower) {
        strip(old.left, old.top, pixels.left, old.bottom);
        strip(pixels.right, old.top, old.right, old.bottom);
    }
    if (lower) {
        strip(old.left, old.top, old.right, pixels.top);
        strip(old.left, pixels.bottom, old.right, old.bottom);
    }
    if (uncovered) UpdateWindow(view);
    return 1;
}
