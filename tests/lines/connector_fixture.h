// The drawing fixture for the elbow-connector tests: connectors added through AddObject, their
// path record read and written, messages sent straight to the connector class.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "editing/drag_state.h"
#include "lines/connector_class.h"
#include "lines/connector_record.h"
#include "line_fixture.h"
#include "store/store_records.h"

// Sets the view's drag state (mode and hook candidates) for the lifetime of the guard.
class DragStateScope {
public:
    explicit DragStateScope(const DragState& state) : saved_(g_dragState) { g_dragState = state; }
    ~DragStateScope() { g_dragState = saved_; }
    DragStateScope(const DragStateScope&) = delete;
    DragStateScope& operator=(const DragStateScope&) = delete;

private:
    DragState saved_;
};

class ConnectorClass : public LineClass {
protected:
    // Adds a connector of `kind` over `rect`, anchored at `corner`; its shadow hidden.
    int AddConnector(RECT rect, int corner = 1, int kind = ConnectorSquare)
    {
        const int row = AddAt(ClassConnector, rect, kind, corner, 0);
        Change(row, [](DrawObject& o, Drawing&) { o.options |= OptShadowHidden; });
        return row;
    }
    LONG SendConnector(int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_SegLHandler(nullptr, d.get(), objects.get(), row, message, a, b, p);
    }
    // The stored path of the connector at `row`, as the class reads it.
    ConnectorSegmentBlock Path(int row)
    {
        const DrawObject o = Object(row);
        HGLOBAL block = nullptr;
        EXPECT_EQ(0, LoadConnectorPath(slot_, &o, &block));
        ConnectorSegmentBlock path = {};
        if (block) {
            path = ReadConnectorPath(block);
            ReleaseBlock(block);
        }
        return path;
    }
    // Replaces the stored path (inside no checkpoint).
    void SetPath(int row, const ConnectorSegmentBlock& path)
    {
        const DrawObject o = Object(row);
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadConnectorPath(slot_, &o, &block));
        EXPECT_EQ(0, WriteConnectorPath(block, path));
        ReleaseBlock(block);
    }
};
