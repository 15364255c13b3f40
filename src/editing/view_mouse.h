// The drawing view's mouse: presses, moves, releases and double clicks, and the press engine that
// chooses and arms the drag.
#pragma once

#include <windows.h>

struct DocumentState;

// Palette tools: the pointer, the text tool, the 22 toolbar tools and the current library item.
enum PaletteTool { ToolPointer = 108, ToolText = 109, ToolFirstSlot = 110, ToolLastSlot = 131, ToolVexlet = -1 };

// The palette's current tool and whether it stays after one use. The palette window keeps them
// once it is built; until then they live here.
extern int g_paletteTool;
extern BOOL g_paletteToolSticky;
// 107 returns to the pointer unless the current tool is sticky.
void SelectPaletteTool(int tool);

// Set once the selection hint was offered in this run.
extern BOOL g_selectHintShown;

// The ruler's scale of the press: the zoom per mille / 1000 above zoom 74, else 1.
extern double g_pressRulerScale;

// A left or right press while no drag is under way.
void OnViewButtonDown(HWND view, WPARAM keys, POINT point, BOOL right);
// A move while a drag is under way.
void OnViewMouseMove(HWND view, WPARAM keys, POINT point);
// A left or right release while a drag is under way.
void OnViewButtonUp(HWND view, WPARAM keys, POINT point);
// A left double click.
void OnViewDoubleClick(HWND view, WPARAM keys, POINT point);

// The press engine. `mode`: 0-3 create an object of that class, 10 the pointer, 14-16 guide lines
// from the rulers, 17 the text tool, anything else a straight line. (x, y) in device pixels of
// the view; `defaultSize` a size to create with, or none.
void BeginViewTracking(HWND view, DocumentState* state, int mode, int toolSlot, int subtype, int x, int y,
                       WPARAM keys, const SIZE* defaultSize);
