// A shown document at 100 % whose view gets its mouse messages by SendMessage, with MK_ flags,
// at points given in drawing units, as the user's presses reach it.
#pragma once

#include <windows.h>

#include <cmath>
#include <memory>

#include "editing/hit_test.h"
#include "frame/view_layout.h"
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

    // The view's client point of a drawing point, from the zoom and the scroll position alone:
    // 600 drawing units to the inch, the screen's pixels per inch taken to whole hundreds (at
    // least 100), scaled by the zoom and rounded to the nearest pixel; the scroll bars give
    // the pixel of the drawing that shows at the client's top-left. Never through the view's
    // own DC: a test that converts through the program's mapping shares its faults.
    POINT ClientPoint(int x, int y) const
    {
        const int scaleX = PixelsPerInch(LOGPIXELSX), scaleY = PixelsPerInch(LOGPIXELSY);
        return {NearestPixel(x, scaleX) - GetScrollPos(view_, SB_HORZ),
                NearestPixel(y, scaleY) - GetScrollPos(view_, SB_VERT)};
    }
    // The drawing point a press at `x`, `y` lands on: the pixel it falls in, back in drawing units.
    POINT Landed(int x, int y) const
    {
        const POINT p = ClientPoint(x, y);
        return {DrawingUnits(p.x + GetScrollPos(view_, SB_HORZ), PixelsPerInch(LOGPIXELSX)),
                DrawingUnits(p.y + GetScrollPos(view_, SB_VERT), PixelsPerInch(LOGPIXELSY))};
    }
    // The colour of a client pixel, read with a mapping of the test's own (pixels as they are).
    COLORREF ClientPixel(int x, int y) const
    {
        HDC dc = GetDC(view_);
        const int saved = SaveDC(dc);
        SetMapMode(dc, MM_TEXT);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetViewportOrgEx(dc, 0, 0, nullptr);
        const COLORREF colour = GetPixel(dc, x, y);
        RestoreDC(dc, saved);
        ReleaseDC(view_, dc);
        return colour;
    }
    COLORREF PixelAt(int x, int y) const
    {
        const POINT p = ClientPoint(x, y);
        return ClientPixel(p.x, p.y);
    }
    // Pixels per inch of the view at its zoom (per mille; 0 shows at 100 %).
    int PixelsPerInch(int axis) const
    {
        HDC screen = GetDC(nullptr);
        int dpi = GetDeviceCaps(screen, axis);
        ReleaseDC(nullptr, screen);
        dpi = dpi < 100 ? 100 : dpi / 100 * 100;
        const int zoom = state_->zoom ? state_->zoom : 1000;
        return dpi * zoom / 1000;
    }
    static int NearestPixel(int units, int scale)
    {
        return static_cast<int>(std::floor(static_cast<double>(units) * scale / kUnitsPerInch + 0.5));
    }
    static int DrawingUnits(int pixels, int scale)
    {
        return static_cast<int>(std::floor(static_cast<double>(pixels) * kUnitsPerInch / scale + 0.5));
    }
    static constexpr int kUnitsPerInch = 600;

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
