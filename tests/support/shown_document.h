// A drawing in a shown document of the real frame, with the clipboard store opened as at
// start-up: what the edit operations, the clipboard store and the document routines work on.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_window.h"
#include "editing/edit_operation.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "frame/view_layout.h"
#include "model/links.h"
#include "store/store_records.h"
#include "support/drawing_fixture.h"
#include "support/frame_support.h"

class ShownDocumentFixture : public DrawingFixture {
protected:
    void SetUp() override
    {
        DrawingFixture::SetUp();
        if (HasFatalFailure()) return;
        settings_.flags |= SetHints;
        UntitledCounter = 0;
        g_importHintShown = g_duplicateHintShown = FALSE;
        PendingPastePoint = {-1, 0};
        g_verticalScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        g_horizontalScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        if (!g_patternBrushes[0]) {
            ASSERT_EQ(0, CreateSharedGdiObjects());
        }
        ASSERT_EQ(0, CreateMainFrame(TRUE));
        EmptyTheClipboard();
        ASSERT_EQ(0, RegisterClipboardFormats());
        document_ = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_NE(nullptr, document_);
        // The fixture's helpers work on the document's view from here on.
        own_ = {view_, stateBlock_, state_, slot_};
        view_ = GetDocumentView(document_);
        stateBlock_ = GetDocumentStateHandle(view_);
        state_ = static_cast<DocumentState*>(GlobalLock(stateBlock_));
        slot_ = state_->storeSlot;
        prompts_->Clear();
    }
    void TearDown() override
    {
        if (own_.view) {
            GlobalUnlock(stateBlock_);
            view_ = own_.view;
            stateBlock_ = own_.stateBlock;
            state_ = own_.state;
            slot_ = own_.slot;
        }
        DestroyFrameAndDocuments();
        CloseClipboardStore();
        EmptyTheClipboard();
        UntitledCounter = 0;
        PendingPastePoint = {-1, 0};
        DrawingFixture::TearDown();
    }

    static void EmptyTheClipboard()
    {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    static bool ClipboardOffers(UINT format)
    {
        if (!OpenClipboard(nullptr)) return false;
        bool offered = IsClipboardFormatAvailable(format) != 0;
        CloseClipboard();
        return offered;
    }

    int Shape(int left, int top, int size = 600) { return AddAt(ClassShape, RECT{left, top, left + size, top + size}, 1); }
    int Line(int x1, int y1, int x2, int y2)
    {
        const RECT rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
        return AddAt(ClassLine, rect, 0, x1 <= x2 ? (y1 <= y2 ? 1 : 3) : (y1 <= y2 ? 2 : 4), 0);
    }
    // Exactly these rows selected, the first current.
    void Select(const std::vector<int>& rows)
    {
        for (int i = 0; i < Count(); ++i)
            Change(i, [&](DrawObject& o, Drawing& d) {
                const bool on = std::find(rows.begin(), rows.end(), i) != rows.end();
                o.state = on ? (o.state | StateSelected) : (o.state & ~static_cast<DWORD>(StateSelected));
                d.selectedCount = static_cast<INT32>(rows.size());
                d.currentRow = rows.empty() ? -1 : rows.front();
            });
    }
    void Hook(int holder, int target)
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, target, 1, 300, 0));
    }
    // Makes `label` the attached label of `line`.
    void AttachLabel(int line, int label)
    {
        const int lineId = Object(line).objId, labelId = Object(label).objId;
        Change(line, [&](DrawObject& o, Drawing&) {
            o.labelId = labelId;
            o.labelRow = label;
        });
        Change(label, [&](DrawObject& o, Drawing&) {
            o.labelId = lineId;
            o.labelRow = line;
            o.state |= StateAttachedLabel;
        });
    }
    int Run(int op, int arg = 0) { return DoEditOperation(view_, op, arg, nullptr); }
    std::vector<std::string> Prompts() const { return ShownPrompts(*prompts_); }
    void SetFlag(DWORD bits, bool on)
    {
        state_->flags = on ? (state_->flags | bits) : (state_->flags & ~bits);
    }

    HWND document_ = nullptr;
    struct {
        HWND view = nullptr;
        HGLOBAL stateBlock = nullptr;
        DocumentState* state = nullptr;
        int slot = -1;
    } own_;
};
