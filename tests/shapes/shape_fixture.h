// A drawing in a fresh working-copy store with a view window and the shape class handler
// installed, for the shape class's tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "../model/group_helper.h"
#include "documents/document_state.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/objects.h"
#include "shapes/shape_class.h"
#include "store/block_store.h"

class ShapeClass : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool directory = false;
        if (!directory) {
            ASSERT_EQ(0, InitBlockStoreDirectory(20));
            directory = true;
        }
        g_classHandlers.classes[ClassShape] = SED_ShapeHandler;
        ASSERT_EQ(0, InstallClassHandlers());
        settings_ = {};
        settings_.defaults.defaultBorderWidth = 12;
        g_settings = &settings_;

        char dir[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "VXS", 0, name);
        path_ = name;
        OFSTRUCT of;
        file_ = OpenFile(name, &of, OF_READWRITE | OF_SHARE_DENY_WRITE);
        ASSERT_NE(HFILE_ERROR, file_);
        ASSERT_EQ(0, CreateStoreAt(file_, &slot_, 0, 6, 200));
        for (int type : {100, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120})
            ASSERT_EQ(0, AddRecordType(slot_, type));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VexlorShapeTestView";
        wc.cbWndExtra = 8;
        RegisterClassA(&wc);
        view_ = CreateWindowA("VexlorShapeTestView", "view", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(view_);
        ASSERT_EQ(0, CreateNewDocumentState(view_, slot_));
        stateBlock_ = GetDocumentStateHandle(view_);
        state_ = static_cast<DocumentState*>(GlobalLock(stateBlock_));
        RotationRefused = FALSE;
    }
    void TearDown() override
    {
        if (state_) {
            CloseDrawing(state_->drawing);
            GlobalUnlock(stateBlock_);
            GlobalFree(stateBlock_);
        }
        if (view_)
            DestroyWindow(view_);
        if (slot_ >= 0)
            CloseStore(slot_);
        DeleteFileA(path_.c_str());
        g_settings = nullptr;
        RemoveClassHandlers();
    }

    int Add(int kind, RECT rect, int a = 0, int b = 0, void* p = nullptr)
    {
        EXPECT_EQ(0, AddObject(view_, ClassShape, &rect, kind, a, b, FALSE, TRUE, p, FALSE));
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return objects->count - 1;
    }
    DrawObject Object(int row)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return (*objects)[row];
    }
    LONG Send(int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_ShapeHandler(nullptr, d.get(), objects.get(), row, message, a, b, p);
    }
    // The ObjectList's payload, for byte-for-byte comparison of edits and their undo.
    std::string ObjectBytes() const
    {
        HGLOBAL block = nullptr;
        if (LoadRecord(slot_, 110, 0, &block)) return {};
        std::string bytes(static_cast<const char*>(GlobalLock(block)), GetBlockSize(block));
        GlobalUnlock(block);
        ReleaseBlock(block);
        return bytes.substr(16);
    }
    // Adds a group entry with members `rows`, each keeping its frame as its grouped frame, and
    // recomputes the group; returns its index.
    int MakeGroup(int groupId, std::initializer_list<int> rows)
    {
        Locked<Drawing> d(state_->drawing);
        return AddTestGroup(d.get(), groupId, rows, true);
    }
    template <typename F>
    void Change(int row, F change)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        change((*objects)[row], *d);
    }

    Settings settings_ = {};
    std::string path_;
    HFILE file_ = HFILE_ERROR;
    int slot_ = -1;
    HWND view_ = nullptr;
    HGLOBAL stateBlock_ = nullptr;
    DocumentState* state_ = nullptr;
};
