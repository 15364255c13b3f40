// The drawing fixture with the program's own class handlers, for the shape class's tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "documents/document_state.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/objects.h"
#include "shapes/shape_class.h"
#include "store/block_store.h"
#include "support/drawing_fixture.h"

class ShapeClass : public DrawingFixture {
protected:
    int Add(int kind, RECT rect, int a = 0, int b = 0, void* p = nullptr)
    {
        return AddAt(ClassShape, rect, kind, a, b, p);
    }
    LONG Send(int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_ShapeHandler(nullptr, d.get(), objects.get(), row, message, a, b, p);
    }
    // Adds a group entry with members `rows`, each keeping its frame as its grouped frame, and
    // recomputes the group; returns its index.
    int MakeGroup(int groupId, std::initializer_list<int> rows) { return AddGroup(groupId, rows, true); }
};
