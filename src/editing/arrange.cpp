// Arranging and changing the selection.
#include "editing/arrange.h"

#include "documents/options.h"
#include "documents/settings.h"
#include "frame/frame_services.h"

BOOL CheckAlign(DocumentState*, Drawing*, int) { return FALSE; }
int AlignSelection(DocumentState*, Drawing*, int) { return 0; }
BOOL CheckSameSize(DocumentState*, Drawing*, int) { return FALSE; }
int MakeSameSize(DocumentState*, Drawing*, int) { return 0; }
BOOL CollectSpacingItems(DocumentState*, Drawing*, BOOL, HGLOBAL* list, int* count, int* gap)
{
    *list = nullptr;
    *count = 0;
    *gap = 0;
    return FALSE;
}
int SpaceEvenly(DocumentState*, Drawing*, int, HGLOBAL, int, int, HGLOBAL, int, int) { return 0; }
int BringSelectionToFront(DocumentState*, Drawing*, int) { return 0; }
int SendSelectionToBack(DocumentState*, Drawing*) { return 0; }
int CenterDrawing(DocumentState*, const RECT*) { return 0; }
int NudgeSelection(DocumentState*, Drawing*, int) { return 0; }
BOOL CheckFlipAllowed(DocumentState*) { return FALSE; }
int ToggleLockSelection(DocumentState*, Drawing*) { return 0; }
int FlipSelection(DocumentState*, Drawing*, int) { return 0; }
int ToggleShadowOption(DocumentState*, Drawing*, int) { return 0; }
int ApplyTextSizing(DocumentState*, Drawing*, int) { return 0; }
void SetArrowheadDefaults(Drawing*, const DrawObject*) {}
void OnViewKeyDown(HWND, int) {}
void OnViewKeyUp(HWND, int) {}
void OnViewChar(HWND, int, LPARAM) {}
void ApplyStyleCommand(int, int) {}
void SelectAllObjects() {}
void DoColorsAndShadows() {}
void RotateSelectionCommand(int) {}
void DoRulerGridCommand() {}

namespace {

BOOL CALLBACK RepaintView(HWND window, LPARAM)
{
    char name[32];
    if (GetClassNameA(window, name, sizeof(name)) && lstrcmpA(name, "MDScrollClass") == 0)
        InvalidateRect(window, nullptr, FALSE);
    return TRUE;
}

}  // namespace

void ToggleShowGrid()
{
    if (!g_settings) return;
    g_settings->flags ^= SetShowGrid;
    if (g_mdiClient) EnumChildWindows(g_mdiClient, RepaintView, 0);
}
