// What tests of the view's press and drag share: a press clock and a tick count the tests set
// (no test waits 200 ms), the key state the press reads, and the one process-wide drag record
// put back after every test.
#pragma once

#include <windows.h>

#include "documents/document_state.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/view_mouse.h"
#include "model/drawing.h"
#include "model/move_set.h"

// The press's message time and the tick count as the tests set them.
struct PressClock {
    static inline DWORD pressTime = 1000;
    static inline DWORD now = 1000;
    static DWORD PressTime() { return pressTime; }
    static DWORD Now() { return now; }
    // The button held past the click-or-drag time, so that a press starts its drag at once.
    static void Held() { now = pressTime + kClickMilliseconds + 1; }
};

// Shift and Ctrl as GetKeyState reads them.
inline void SetKeys(bool shift, bool ctrl)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Installs the clock and an idle drag with the pointer tool; the destructor ends whatever drag a
// test left and puts the clocks and keys back.
class PressSeams {
public:
    PressSeams()
    {
        g_dragState = IdleDragState();
        g_paletteTool = ToolPointer;
        g_paletteToolSticky = FALSE;
        g_pressTimeSource = PressClock::PressTime;
        g_tickCountSource = PressClock::Now;
        PressClock::pressTime = PressClock::now = 1000;
        SetKeys(false, false);
    }
    ~PressSeams()
    {
        g_pressTimeSource = savedPress_;
        g_tickCountSource = savedTick_;
        g_paletteTool = ToolPointer;
        SetKeys(false, false);
    }
    PressSeams(const PressSeams&) = delete;
    PressSeams& operator=(const PressSeams&) = delete;

    // Frees the drag's object sets, resets its mode and drops the capture, as a release leaves them.
    static void EndDrag(const DocumentState* state)
    {
        if (state && state->drawing) {
            Locked<Drawing> d(state->drawing);
            Locked<ObjectList> objects(d ? d->objectList : nullptr);
            FreeObjectVector(&g_dragState.moveSet, objects.get());
            FreeObjectVector(&g_dragState.excludeSet, objects.get());
        }
        g_dragState = IdleDragState();
        DropHitIndex();
        ReleaseCapture();
    }
    // Mouse messages a test queued and the view did not take.
    static void DrainMouse(HWND view)
    {
        MSG msg;
        while (PeekMessageA(&msg, view, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
    }

private:
    DragClock savedPress_ = g_pressTimeSource;
    DragClock savedTick_ = g_tickCountSource;
};
