// The rendering pass over recording class handlers: which messages each shadow style sends, in
// which order; edited objects; selection handles, group frames and standalone records.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "exchange/exchange_services.h"
#include "model/device_units.h"
#include "model/render.h"
#include "support/model_fixture.h"

namespace {

class RenderPass : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        dc_ = CreateCompatibleDC(nullptr);
        SetLogicalUnits(dc_, 0, 600);   // 6 units per pixel
    }
    void TearDown() override
    {
        DeleteDC(dc_);
        g_printing = g_renderingMetafile = FALSE;
        ModelTest::TearDown();
    }
    void SetStyle(int style, int dx, int dy)
    {
        auto d = LockDrawing();
        d->style.shadowStyle = style;
        d->style.shadowDx = dx;
        d->style.shadowDy = dy;
        d->style.shadowColor = RGB(1, 2, 3);
        d->style.highlightColor = RGB(4, 5, 6);
    }
    template <typename F>
    void Edit(int row, F change)
    {
        auto d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        change((*objects)[row], *d);
    }
    // (message, row) pairs of the log, with the ShadowPaint of 31/32 kept aside.
    std::vector<std::pair<int, int>> Sent() const
    {
        std::vector<std::pair<int, int>> out;
        for (const SentMessage& m : g_recorder.log)
            out.push_back({m.message, m.row});
        return out;
    }
    void Render(BOOL handles = TRUE, BOOL printing = FALSE, BOOL selectionOnly = FALSE)
    {
        g_recorder.Clear();
        RenderPage(dc_, DrawingHandle(), nullptr, handles, printing, selectionOnly);
    }

    HDC dc_ = nullptr;
};

using Pairs = std::vector<std::pair<int, int>>;

TEST_F(RenderPass, ShadowStylesDecideTheMessages)
{
    Add(ClassShape);
    // Offsets of 12 units are 2 device pixels here.
    const struct { int style; Pairs expected; } cases[] = {
        {0, {{1, 0}}},
        {6, {{1, 0}}},
        {1, {{33, 0}, {32, 0}, {32, 0}, {32, 0}, {32, 0}, {32, 0}}},
        {2, {{33, 0}, {32, 0}, {32, 0}, {32, 0}, {32, 0}, {32, 0}}},
        {3, {{32, 0}, {32, 0}, {1, 0}}},
        {4, {{31, 0}, {1, 0}}},
        {5, {{32, 0}, {1, 0}}},
    };
    for (const auto& c : cases) {
        SetStyle(c.style, 12, -12);
        Render();
        EXPECT_EQ(c.expected, Sent()) << "style " << c.style;
    }
}

// The ShadowPaint records a handler receives.
std::vector<ShadowPaint> g_paints;
LONG CALLBACK KeepShadowPaints(HDC, Drawing*, void*, int, int message, int, int b, void*)
{
    if (message == OM_DRAWSHADOW || message == OM_DRAWSHADOWOFFSET)
        g_paints.push_back(*reinterpret_cast<ShadowPaint*>(static_cast<INT_PTR>(b)));
    return 0;
}

TEST_F(RenderPass, ShadowCopiesGoOnePixelApart)
{
    const int row = Add(ClassShape);
    Edit(row, [](DrawObject& o, Drawing&) { o.lineColor = RGB(9, 9, 9); });
    g_classHandlers.classes[0] = KeepShadowPaints;
    auto paints = [&](int style, int dx, int dy) {
        SetStyle(style, dx, dy);
        g_paints.clear();
        Render();
        std::vector<std::vector<LONG>> out;
        for (const ShadowPaint& s : g_paints)
            out.push_back({s.dx, s.dy, static_cast<LONG>(s.color)});
        return out;
    };
    const LONG shadow = RGB(1, 2, 3), light = RGB(4, 5, 6), line = RGB(9, 9, 9);
    using V = std::vector<std::vector<LONG>>;
    EXPECT_EQ((V{{6, -6, shadow}, {12, -12, shadow}}), paints(3, 12, -12));
    // A zero offset still gives one copy, in place.
    EXPECT_EQ((V{{0, 0, shadow}}), paints(3, 0, 0));
    // Into a metafile the copies are measured on the screen at 600 units per inch (Xvfb's 96
    // pixels per inch count as 100), not in the metafile's own units.
    g_renderingMetafile = TRUE;
    EXPECT_EQ((V{{6, -6, shadow}, {12, -12, shadow}}), paints(3, 12, -12));
    g_renderingMetafile = FALSE;
    EXPECT_EQ((V{{12, -12, shadow}}), paints(4, 12, -12));
    EXPECT_EQ((V{{6, 6, shadow}, {-6, -6, light}, {0, 0, line}}), paints(1, 6, 0));
    EXPECT_EQ((V{{6, 6, light}, {-6, -6, shadow}, {0, 0, line}}), paints(2, 0, -6));
}

TEST_F(RenderPass, ObjectsBeingEditedAreLeftToTheEditorOnScreen)
{
    const int plain = Add(ClassShape);
    const int edited = Add(ClassShape);
    const int objId = Object(edited).objId;
    Edit(edited, [](DrawObject& o, Drawing&) { o.state |= StateTextEditing; });
    Render();
    EXPECT_EQ((std::vector<int>{Object(plain).objId}), g_recorder.Messages(OM_DRAW));
    Render(TRUE, TRUE);
    EXPECT_EQ((std::vector<int>{Object(plain).objId, objId}), g_recorder.Messages(OM_DRAW));
    g_renderingMetafile = TRUE;
    Render();
    EXPECT_EQ(2u, g_recorder.Messages(OM_DRAW).size());
    g_renderingMetafile = FALSE;
    // Rotated, it is drawn and its area greyed inside its outline.
    Edit(edited, [](DrawObject& o, Drawing&) { o.angle = 300; });
    Render();
    EXPECT_EQ((std::vector<int>{Object(plain).objId, objId}), g_recorder.Messages(OM_DRAW));
    EXPECT_EQ((std::vector<int>{objId}), g_recorder.Messages(OM_GETBOUNDS));
    EXPECT_EQ((std::vector<int>{objId}), g_recorder.Messages(OM_GETOUTLINE));
}

TEST_F(RenderPass, HandlesHookMarksAndGroupFramesOnlyOnScreen)
{
    const int single = Add(ClassLine);
    const int first = Add(ClassShape, 1200, 1200);
    const int second = Add(ClassShape, 2400, 1200);
    const int hooks = Add(ClassShape, 3600, 1200);
    MakeGroup(7, {first, second});
    Edit(single, [](DrawObject& o, Drawing&) { o.state |= StateSelected; });
    Edit(first, [](DrawObject& o, Drawing& d) { o.state |= StateSelected; d.currentRow = -1; });
    Edit(second, [](DrawObject& o, Drawing&) { o.state |= StateSelected; });
    Edit(hooks, [](DrawObject& o, Drawing&) { o.state |= StateShowHooks; });
    {
        auto d = LockDrawing();
        Locked<GroupTable> groups(d->groupTable);
        (*groups)[0].flags |= GroupSelected;
    }
    Render();
    // The ungrouped line's handles; the group's frame as a standalone shape, not current.
    const Pairs handles = [&] {
        Pairs out;
        for (const SentMessage& m : g_recorder.log) {
            if (m.message == OM_DRAWHANDLES)
                out.push_back({m.objClass, m.row});
        }
        return out;
    }();
    EXPECT_EQ((Pairs{{1, single}, {0, -2}}), handles);
    EXPECT_EQ((std::vector<int>{Object(hooks).objId}), g_recorder.Messages(OM_GETHOOKPOINTS));
    EXPECT_EQ((std::vector<int>{Object(hooks).objId}), g_recorder.Messages(OM_DRAWHOOKMARKS));

    // The current object's group is drawn as current.
    { auto d = LockDrawing(); d->currentRow = second; }
    Render();
    EXPECT_EQ(1u, std::count_if(g_recorder.log.begin(), g_recorder.log.end(), [](const SentMessage& m) {
                  return m.message == OM_DRAWHANDLES && m.row == -1;
              }));

    // Without handles, printing, or for the selection only: no marks at all.
    for (auto [handlesOn, printing, selection] : {std::tuple{FALSE, FALSE, FALSE}, {TRUE, TRUE, FALSE}, {TRUE, FALSE, TRUE}}) {
        Render(handlesOn, printing, selection);
        EXPECT_TRUE(g_recorder.Messages(OM_DRAWHANDLES).empty());
        if (printing || selection) {
            EXPECT_TRUE(g_recorder.Messages(OM_DRAWHOOKMARKS).empty());
        }
    }
    // The selection only: the unselected object is left out.
    Render(TRUE, TRUE, TRUE);
    EXPECT_EQ(3u, g_recorder.Messages(OM_DRAW).size());
}

TEST_F(RenderPass, PrintingTheSelectionTakesLabelsOfSelectedLines)
{
    const int line = Add(ClassLine);
    const int label = Add(ClassShape, 1200, 1200);
    Add(ClassShape, 2400, 2400);
    const int lineId = Object(line).objId;
    Edit(label, [&](DrawObject& o, Drawing&) {
        o.state |= StateAttachedLabel;
        o.labelId = lineId;
        o.labelRow = line;
    });
    Edit(line, [](DrawObject& o, Drawing&) { o.state |= StateSelected; });
    Render(FALSE, TRUE, TRUE);
    EXPECT_EQ((std::vector<int>{lineId, Object(label).objId}), g_recorder.Messages(OM_DRAW));
    Edit(line, [](DrawObject& o, Drawing&) { o.state &= ~static_cast<DWORD>(StateSelected); });
    Render(FALSE, TRUE, TRUE);
    EXPECT_TRUE(g_recorder.Messages(OM_DRAW).empty());
}

TEST_F(RenderPass, StandaloneRecordsGoInThreePassesUnrotated)
{
    SetStyle(4, 12, 12);
    DrawObject records[2] = {};
    records[0].objId = 1;
    records[0].angle = 450;
    records[1].objId = 2;
    records[1].objClass = ClassLine;
    static std::vector<int> angles;
    angles.clear();
    g_recorder.Clear();
    g_recorder.answer = [](int, DrawObject* o) { angles.push_back(o->angle); return 0; };
    DrawStandaloneObjects(dc_, LockDrawing().get(), records, 2);
    Pairs sent;
    for (const SentMessage& m : g_recorder.log)
        sent.push_back({m.message, m.objId});
    EXPECT_EQ((Pairs{{31, 1}, {31, 2}, {1, 1}, {1, 2}}), sent);
    for (const SentMessage& m : g_recorder.log)
        EXPECT_EQ(-1, m.row);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), angles);
    EXPECT_EQ(450, records[0].angle);
}

TEST(SelectionMarks, HandlesInvertOrOutline)
{
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, -40, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 40, 40, WHITENESS);
    const RECT r = {10, 10, 30, 30};
    DrawSelectionHandle(dc, &r, FALSE, TRUE, FALSE);   // current: inverted
    EXPECT_EQ(0u, GetPixel(dc, 20, 20));
    DrawSelectionHandle(dc, &r, FALSE, TRUE, FALSE);   // and back
    EXPECT_EQ(0xFFFFFFu, GetPixel(dc, 20, 20));
    DrawSelectionHandle(dc, &r, FALSE, FALSE, FALSE);  // others: an outline only
    EXPECT_EQ(0u, GetPixel(dc, 10, 20));
    EXPECT_EQ(0xFFFFFFu, GetPixel(dc, 20, 20));
    DrawSelectionHandle(dc, &r, FALSE, FALSE, FALSE);
    // Locked: inverted through the selected pattern brush, round handles only inside the ellipse.
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DrawSelectionHandle(dc, &r, TRUE, FALSE, TRUE);
    EXPECT_EQ(0u, GetPixel(dc, 20, 20));
    EXPECT_EQ(0xFFFFFFu, GetPixel(dc, 11, 11));
    DeleteDC(dc);
    DeleteObject(bitmap);
}

} // namespace
