// The drawing fixture for the line-array tests: arrays added through AddObject, their record read
// and written, members hooked on, messages sent straight to the array class.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editing/drag_state.h"
#include "lines/array_class.h"
#include "lines/array_record.h"
#include "line_fixture.h"
#include "model/links.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

class ArrayClass : public LineClass {
protected:
    // Adds an array over `rect`, the creating drag ending at `corner`; `type` 2 presets vertical.
    int AddArray(RECT rect, int corner = 4, int type = 0)
    {
        const int row = AddAt(ClassArray, rect, type, corner, 0);
        Change(row, [](DrawObject& o, Drawing&) { o.options |= OptShadowHidden; });
        return row;
    }
    LONG SendArray(int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_ArrayHandler(nullptr, d.get(), objects.get(), row, message, a, b, p);
    }
    // The head of the array's record and its entries in use.
    struct Record {
        ArrayData head;
        std::vector<ArrayEntry> entries;
        LONG size;
    };
    Record ReadArray(int row)
    {
        const DrawObject o = Object(row);
        HGLOBAL block = nullptr;
        Record r = {};
        EXPECT_EQ(0, LoadArrayData(slot_, &o, &block));
        if (!block) return r;
        r.size = GetBlockSize(block);
        Locked<ArrayData> data(block);
        r.head = *data;
        for (int i = 0; i < data->entryCount; ++i) r.entries.push_back((*data)[i]);
        data.Unlock();
        ReleaseBlock(block);
        return r;
    }
    // Adds a rectangle shape and hooks it on the array by its side `code` (305-308) at position
    // `position`, as the link code does (message 79 follows).
    int AddMember(int array, RECT rect, int position, int code = 305)
    {
        const int shape = AddAt(ClassShape, rect, ShapeRectangle);
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(0, AttachHook(d.get(), shape, -1, array, code, position, 0));
        return shape;
    }
};
