// The document window's layout (view, rulers, corner box), the view's zoom mapping, the fit
// zoom, the scroll bars, the frame's client area and the back buffer; view painting; zoom and
// scrolling.
#pragma once

#include <windows.h>

#include "model/window_utils.h"

struct DocumentState;
struct Drawing;
struct RulerSettings;

extern int g_verticalScrollWidth;
extern int g_horizontalScrollHeight;
extern BOOL g_toolbarShown;
extern int g_paletteHeight;
extern HBRUSH g_patternBrushes[6];   // bitmaps 10001-10006

// The window `steps` places after `view` among its siblings (1 the horizontal ruler, 2 the
// vertical ruler, 3 the corner box, 4 a docked library strip), or none.
HWND Sibling(HWND view, int steps);
// The window's own visible style, whatever its parents show.
BOOL IsShown(HWND window);
int LayoutDocumentChildren(HWND documentWindow, HWND view);
void GetDrawingDeviceSize(HWND view, int* width, int* height);
int ComputeFitZoom(HWND view, ViewInfo* info, int availableWidth, int availableHeight);
int UpdateDocumentScrollBars(HWND view, const RECT* band, BOOL* horizontalNeeded, BOOL* verticalNeeded, BOOL apply);
void LayoutFrameClient(LPARAM size);
void RebuildBackBuffer();
void ReleaseBackBuffer();
void ToggleToolbar();
LRESULT CALLBACK HelpFilter(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MenuHelpFilter(int code, WPARAM wParam, LPARAM lParam);

// A ruler position in 1/100 inch of major tick `major` and subdivision `sub`, zoomed above 74.
int RulerUnitsToValue(const RulerSettings* ruler, int major, int sub, int zoom);
void PaintView(HWND view, HDC dc, const RECT* update);
void DrawViewBackground(HDC dc, HWND view, DocumentState* state, const RECT* rect, BOOL pageLines, int zoom);
void DrawGrid(Drawing* drawing, HDC dc, const RECT* rect, HBRUSH horizontal, HBRUSH vertical, int zoom);
void DrawHairline(HDC dc, const RECT* rect);
void PaintDocumentSurround(HWND documentWindow, HDC dc, const RECT* update);

// Zoom modes of SetViewZoom.
enum ZoomMode { ZoomPlain = 0, ZoomFitWindow = 1, ZoomFitPage = 2 };
// Set once HINT_STF was shown in this run.
extern bool g_fitHintShown;
void SetViewZoom(int value, int mode);
int CenterViewOnObjects(HWND view, DocumentState* state, int zoom);
void ScrollViewBy(HWND view, HDC dc, int zoom, int dx, int dy, HWND editor);
void ScrollToSelection(HWND view, DocumentState* state);
void ScrollDocument(HWND view, int code, int bar, int position);
// Answers the Set Window Scale dialog: not built yet, so nothing is confirmed.
int RunScaleDialog(int* zoom);
void InstallMenuHelpFilter();
void RemoveMenuHelpFilter();
// Sets the view's mapping to the zoom (the rulers stay at 100 %) and tells an open editor.
void ApplyViewZoom(HWND view, int zoom, int fit);

void ToggleFitToWindow(HWND view, DocumentState* state, int x, int y);
