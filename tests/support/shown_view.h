// A shown document at 100 % whose view gets its mouse messages by SendMessage, with MK_ flags,
// at points given in drawing units, as the user's presses reach it.
#pragma once

#include <windows.h>

#include "editing/hit_test.h"
#include "frame/view_layout.h"
#include <memory>

#include "support/press_support.h"
#include "support/shown_document.h"

class ShownViewFixture : public ShownDocumentFixture {
protected:
    void SetUp() override
    {
        ShownDocumentFixture::SetUp();
        if (HasFatalFailure()) return;
        seams_ = std::make_unique<PressSeams>();
        ShowWindow(g_frameWindow, SW_SHOWNORMAL);
        SendMessageA(g_mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(document_), 0);
        state_->zoom = 1000;
        ApplyViewZoom(view_, 1000, 0);
        UpdateWindow(g_frameWindow);
    }
    void TearDown() override
    {
        PressSeams::EndDrag(state_);
        if (view_) PressSeams::DrainMouse(view_);
        seams_.reset();
        ShownDocumentFixture::TearDown();
    }

    // The view's client point of a drawing point.
    POINT ClientPoint(int x, int y) const
    {
        POINT p = {x, y};
        ViewDrawingDC dc(view_);
        LPtoDP(dc.get(), &p, 1);
        return p;
    }
    // The drawing point a press at `x`, `y` lands on: the pixel it falls in, back in drawing units.
    POINT Landed(int x, int y) const
    {
        POINT p = ClientPoint(x, y);
        ViewDrawingDC dc(view_);
        DPtoLP(dc.get(), &p, 1);
        return p;
    }
    LPARAM At(int x, int y) const
    {
        const POINT p = ClientPoint(x, y);
        return MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y));
    }
    void Press(int x, int y, WPARAM keys = MK_LBUTTON) { SendMessageA(view_, WM_LBUTTONDOWN, keys, At(x, y)); }
    void RightPress(int x, int y, WPARAM keys = MK_RBUTTON)
    {
        SendMessageA(view_, WM_RBUTTONDOWN, keys, At(x, y));
    }
    void Move(int x, int y, WPARAM keys = MK_LBUTTON) { SendMessageA(view_, WM_MOUSEMOVE, keys, At(x, y)); }
    void Release(int x, int y, WPARAM keys = 0) { SendMessageA(view_, WM_LBUTTONUP, keys, At(x, y)); }
    void DoubleClick(int x, int y, WPARAM keys = MK_LBUTTON)
    {
        SendMessageA(view_, WM_LBUTTONDBLCLK, keys, At(x, y));
    }
    // A click: the release already waits in the queue when the press looks for it.
    void QueueRelease(int x, int y) { PostMessageA(view_, WM_LBUTTONUP, 0, At(x, y)); }
    // Press, one move and release, the button held past the click time.
    void Drag(int x0, int y0, int x1, int y1, WPARAM keys = 0)
    {
        PressClock::Held();
        Press(x0, y0, MK_LBUTTON | keys);
        Move(x1, y1, MK_LBUTTON | keys);
        Release(x1, y1, keys);
    }

    std::unique_ptr<PressSeams> seams_;
};
