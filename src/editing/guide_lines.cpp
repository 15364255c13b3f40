// Ruler guide lines.
#include "editing/guide_lines.h"

#include "documents/document_state.h"
#include "editing/drag_state.h"
#include "frame/view_layout.h"
#include "model/drawing.h"

namespace {

constexpr int kRulerThickness = 26;
constexpr int kRulerLength = 32000;
// Rulers count 100 units an inch, drawings 600.
constexpr int kDrawingUnitsPerRulerUnit = 6;

HWND RulerOf(HWND view, int which)
{
    HWND ruler = view ? GetWindow(view, GW_HWNDNEXT) : nullptr;
    if (which == 2 && ruler) ruler = GetWindow(ruler, GW_HWNDNEXT);
    return ruler;
}

void MarkInRuler(HWND view, int which, int position)
{
    HWND ruler = RulerOf(view, which);
    if (!ruler) return;
    HDC dc = GetDC(ruler);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, GetGuideBrush(view));
    const int at = position / kDrawingUnitsPerRulerUnit;
    if (which == 1)
        DrawGuideLine(dc, at, TRUE, kRulerLength, kRulerThickness);
    else
        DrawGuideLine(dc, at, FALSE, kRulerThickness, kRulerLength);
    SelectObject(dc, old);
    ReleaseDC(ruler, dc);
}

}  // namespace

HBRUSH GetGuideBrush(HWND view)
{
    COLORREF background = static_cast<COLORREF>(-1);
    const HGLOBAL stateHandle =
        view ? reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, kViewStateLong))) : nullptr;
    if (stateHandle) {
        Locked<DocumentState> state(stateHandle);
        if (state && state->drawing) {
            Locked<Drawing> drawing(state->drawing);
            if (drawing) background = drawing->style.backgroundColor;
        }
    }
    return background == 0 ? g_patternBrushes[0] : g_patternBrushes[1];
}

void DrawGuideLine(HDC dc, int position, BOOL vertical, int width, int height)
{
    if (!dc) return;
    POINT p = {position, position};
    LPtoDP(dc, &p, 1);
    ++p.x;
    ++p.y;
    DPtoLP(dc, &p, 1);
    const int thick = vertical ? p.x - position : p.y - position;
    const int w = thick > 0 ? thick : 1;
    if (vertical)
        PatBlt(dc, position, 0, w, height, PATINVERT);
    else
        PatBlt(dc, 0, position, width, w, PATINVERT);
}

void MarkGuideInHorizontalRuler(HWND view, int position) { MarkInRuler(view, 1, position); }

void MarkGuideInVerticalRuler(HWND view, int position) { MarkInRuler(view, 2, position); }

double RulerScaleOf(const DocumentState* state)
{
    return state && state->zoom > 74 ? state->zoom / 1000.0 : 1.0;
}

void DrawGuidePair(HWND view, HDC dc, const DocumentState* state, int mode, POINT at)
{
    const double scale = RulerScaleOf(state);
    if (mode == TrackVerticalGuide || mode == TrackBothGuides) {
        MarkGuideInHorizontalRuler(view, static_cast<int>(at.x * scale));
        DrawGuideLine(dc, at.x, TRUE, state->areaWidth, state->areaHeight);
    }
    if (mode == TrackHorizontalGuide || mode == TrackBothGuides) {
        MarkGuideInVerticalRuler(view, static_cast<int>(at.y * scale));
        DrawGuideLine(dc, at.y, FALSE, state->areaWidth, state->areaHeight);
    }
}
