// The shape class handler in a real drawing: new shapes, free text blocks and pictures,
// capabilities, kind changes, attribute merging and the rotation messages.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "documents/document_state.h"
#include "frame/object_classes.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/objects.h"
#include "shapes/custom_outline.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_class.h"
#include "shapes/shape_kinds.h"
#include "store/block_store.h"
#include "shape_fixture.h"

namespace {

// Start-up fills slot 0 with the shape class, so type-level queries reach it through the table.
TEST(ClassHandlerTable, ShapesAnswerFromSlotZero)
{
    RemoveClassHandlers();
    ASSERT_EQ(0, InstallObjectClasses());
    EXPECT_EQ(SED_ShapeHandler, HandlerForClass(ClassShape));
    double range[3] = {};
    EXPECT_EQ(0, SendTypeQuery(ClassShape, OM_PARAMRANGE, 7, 0, range));
    EXPECT_EQ(0.1, range[0]);
    EXPECT_EQ(3, SendTypeQuery(ClassShape, OM_TYPEHANDLES, ShapeCircle, 0, nullptr));
    RemoveClassHandlers();
}

TEST_F(ShapeClass, NewShapesTakeTheKindsDefaultsAndRects)
{
    const int row = Add(ShapeRightArrow, RECT{100, 100, 1100, 500});
    const DrawObject s = Object(row);
    EXPECT_EQ(0.3, s.param);
    EXPECT_EQ(0x400u, s.state & 0x400); // ring border kind
    EXPECT_EQ(1, s.hookCapacity);
    EXPECT_EQ(1u, s.hookMask);
    EXPECT_EQ(3u, s.acceptMask);
    EXPECT_EQ((RECT{70, 70, 1130, 530}).left, s.updateRect.left);
    EXPECT_EQ(1130, s.updateRect.right);
    EXPECT_EQ(112, s.innerRect.left); // less the 12-unit border
    EXPECT_EQ(60, s.textInset.top);   // 0.15 of the height
    EXPECT_EQ(0xCC7, Send(row, OM_GETCAPS));

    // A circle shows only its corner handles.
    EXPECT_EQ(3, Object(Add(ShapeCircle, RECT{0, 0, 300, 300})).handleLayout);
    // The palette tool's parameter wins over the kind's default.
    settings_.tools[2].adjustment = 0.35;
    Change(row, [](DrawObject&, Drawing& d) { d.toolSlot = 2; });
    EXPECT_EQ(0.35, Object(Add(ShapeOctagon, RECT{0, 0, 300, 300})).param);
}

TEST_F(ShapeClass, FreeTextBlockGetsATextRecordOfItsOwn)
{
    const int row = Add(ShapeFreeText, RECT{200, 200, 800, 500});
    const DrawObject s = Object(row);
    EXPECT_EQ(ShapeRectangle, s.objType);
    EXPECT_EQ(0x200u, s.state & 0x200);
    EXPECT_EQ(0, s.lineWidth);
    EXPECT_EQ(0, s.fillPattern);
    EXPECT_EQ(1, s.textFit);
    EXPECT_EQ(3, s.classFlags);
    EXPECT_EQ(0, s.textMargins.left);
    EXPECT_EQ(54, s.createdWidth);
    ASSERT_GE(s.textId, 0);
    HGLOBAL text = nullptr;
    ASSERT_EQ(0, LoadRecord(slot_, 114, s.textId, &text));
    EXPECT_EQ(16, GetBlockSize(text));
    EXPECT_EQ(0xCC7, Send(row, OM_GETCAPS));
}

TEST_F(ShapeClass, PicturesStoreTheirChunksAndAreFixedUnlessPlainMetafiles)
{
    std::vector<BYTE> bytes(59001, 0x5A);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    PictureSource source = {};
    source.frame = RECT{0, 0, 600, 300};
    source.dataSize = static_cast<INT32>(bytes.size());
    source.colorCount = 250;

    const int bitmap = Add(ShapePicture, RECT{0, 0, 600, 300}, kBitmapChunkType,
                           static_cast<int>(reinterpret_cast<INT_PTR>(data)), &source);
    DrawObject s = Object(bitmap);
    EXPECT_EQ(ShapeRectangle, s.objType);
    EXPECT_EQ(0x100u, s.state & 0x100);
    EXPECT_EQ(0x21u, s.options);
    EXPECT_EQ(3, s.handleLayout);
    EXPECT_EQ(kBitmapChunkType, s.dataType);
    EXPECT_EQ(2, s.dataCount);
    EXPECT_EQ(0x5C5, Send(bitmap, OM_GETCAPS));

    const int metafile = Add(ShapePicture, RECT{0, 0, 600, 300}, kMetafileChunkType,
                             static_cast<int>(reinterpret_cast<INT_PTR>(data)), &source);
    EXPECT_EQ(0x1u, Object(metafile).options);
    EXPECT_EQ(0xDC7, Send(metafile, OM_GETCAPS));
    source.flags = 0x20;
    EXPECT_EQ(0x21u, Object(Add(ShapePicture, RECT{0, 0, 600, 300}, kMetafileChunkType,
                                static_cast<int>(reinterpret_cast<INT_PTR>(data)), &source))
                         .options);
    GlobalFree(data);

    // A picture never changes kind.
    INT32 kind[2] = {0, ShapeOval};
    EXPECT_EQ(0, Send(bitmap, OM_SETSHAPETYPE, 0, 0, kind));
    EXPECT_EQ(ShapeRectangle, Object(bitmap).objType);
}

TEST_F(ShapeClass, KindChangesSquareCirclesAndClearMirroring)
{
    const int row = Add(ShapeTriangle, RECT{100, 100, 700, 400});
    Change(row, [](DrawObject& s, Drawing&) { s.options |= 0x18; });
    INT32 kind[2] = {0, ShapeCircle};
    EXPECT_EQ(0, Send(row, OM_SETSHAPETYPE, 0, 0, kind));
    DrawObject s = Object(row);
    EXPECT_EQ(ShapeCircle, s.objType);
    EXPECT_EQ(0u, s.options & 0x18);
    EXPECT_EQ(0u, s.state & 0x400);
    EXPECT_EQ(3, s.handleLayout);
    EXPECT_EQ(250, s.frame.left); // 300 x 300 about the old centre (400, 250)
    EXPECT_EQ(100, s.frame.top);
    EXPECT_EQ(550, s.frame.right);
    EXPECT_EQ(400, s.frame.bottom);

    kind[1] = ShapeDocument;
    Send(row, OM_SETSHAPETYPE, 0, 0, kind);
    s = Object(row);
    EXPECT_EQ(0.1, s.param);
    EXPECT_EQ(0x400u, s.state & 0x400);
    EXPECT_EQ(0, s.handleLayout);

    // A free text block becomes an ordinary shape with the drawing's border.
    const int text = Add(ShapeFreeText, RECT{0, 0, 300, 300});
    Send(text, OM_SETSHAPETYPE, 0, 0, kind);
    s = Object(text);
    EXPECT_EQ(0u, s.state & 0x200);
    EXPECT_EQ(12, s.lineWidth);
    EXPECT_EQ(24, s.textMargins.left);
}

TEST_F(ShapeClass, AttributeSummaryAndUnansweredMessages)
{
    const int a = Add(ShapeOval, RECT{0, 0, 300, 300});
    const int b = Add(ShapeDecision, RECT{0, 0, 300, 300});
    Change(a, [](DrawObject& s, Drawing&) { s.fillPattern = 0, s.fillColor = RGB(1, 2, 3); });
    DrawObject summary = {};
    for (INT32* field : {&summary.lineWidth, &summary.textAlignV, &summary.textAlignH,
                         &summary.lineStyle, &summary.fillPattern, &summary.objType})
        *field = -2;
    summary.lineColor = summary.fillColor = static_cast<COLORREF>(-2);
    summary.state = 0x100;
    Send(a, OM_GETATTRS, 0, 0, &summary);
    Send(b, OM_GETATTRS, 0, 0, &summary);
    EXPECT_EQ(-1, summary.objType);
    EXPECT_EQ(12, summary.lineWidth);
    EXPECT_EQ(static_cast<COLORREF>(-1), summary.fillColor); // hollow: no fill colour
    EXPECT_EQ(0u, summary.state);

    const DrawObject before = Object(a);
    for (int message : {12, 30, 87, 200, -1}) {
        EXPECT_EQ(0, Send(a, message, 5, 5, nullptr)) << message;
    }
    const DrawObject after = Object(a);
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));

    double range[3];
    EXPECT_EQ(0, SED_ShapeHandler(nullptr, nullptr, nullptr, -1, OM_PARAMRANGE, 7, 0, range));
    EXPECT_EQ(0.1, range[0]);
    EXPECT_EQ(0.05, range[1]);
    EXPECT_EQ(0.3, range[2]);
    EXPECT_EQ(3, SED_ShapeHandler(nullptr, nullptr, nullptr, -1, OM_TYPEHANDLES, 9, 0, nullptr));
}

TEST_F(ShapeClass, RotationMessages)
{
    const int small = Add(ShapeRectangle, RECT{0, 0, 269, 200});
    const int wide = Add(ShapeRectangle, RECT{1000, 1000, 1270, 1200});
    POINT p;
    RECT r;
    EXPECT_EQ(0, Send(small, OM_EXTRAHANDLE, 0, static_cast<int>(reinterpret_cast<INT_PTR>(&p)), &r));
    EXPECT_EQ(140, Send(wide, OM_EXTRAHANDLE, 1, static_cast<int>(reinterpret_cast<INT_PTR>(&p)), &r));
    EXPECT_EQ(1204, p.x);
    EXPECT_EQ(1100, p.y);

    // The right-middle handle dragged straight above the centre: a quarter turn.
    POINT target{1135, 800};
    EXPECT_EQ(0, Send(wide, OM_ROTATETO, 140, 0, &target));
    DrawObject s = Object(wide);
    EXPECT_EQ(900, s.angle);
    EXPECT_LT(s.updateRect.top, 1000 - 30); // the rotated frame reaches higher

    // Snapping rounds to 15 degrees.
    Change(wide, [](DrawObject&, Drawing& d) { d.drawingFlags |= DrawSnap; });
    target = POINT{1235, 1086}; // about 8 degrees up
    Send(wide, OM_ROTATETO, 140, 0, &target);
    EXPECT_EQ(150, Object(wide).angle);

    EXPECT_EQ(0, Send(wide, OM_SETANGLE, 450));
    EXPECT_EQ(450, Object(wide).angle);

    // A fixed shape refuses and says so.
    Change(small, [](DrawObject& o, Drawing&) { o.options |= OptFixed; });
    EXPECT_EQ(0, Send(small, OM_SETANGLE, 900));
    EXPECT_TRUE(RotationRefused);
    EXPECT_EQ(0, Object(small).angle);
    EXPECT_EQ(0, Send(small, OM_EXTRAHANDLE, 2, static_cast<int>(reinterpret_cast<INT_PTR>(&p)), &r));

    // A hooked shape offers none unless it hangs on a fixed point (an array member) or the
    // caller asks for it anyway.
    const struct {
        int holderCode, flags, code;
    } hooked[] = {{5, 0, 0}, {5, 0x2, 140}, {305, 0, 140}};
    for (const auto& h : hooked) {
        Change(wide, [&](DrawObject& o, Drawing&) { o.hookCount = 1, o.hooks[0].holderCode = h.holderCode; });
        EXPECT_EQ(h.code, Send(wide, OM_EXTRAHANDLE, h.flags, static_cast<int>(reinterpret_cast<INT_PTR>(&p)), &r))
            << h.holderCode << " " << h.flags;
    }
}

TEST_F(ShapeClass, OutlineAsLinePieces)
{
    const int row = Add(ShapeRoundedRect, RECT{100, 100, 700, 400});
    Change(row, [](DrawObject& s, Drawing&) { s.lineWidth = 24; });
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 28);
    RECT r;
    ASSERT_EQ(0, Send(row, OM_TOOUTLINE, 0, static_cast<int>(reinterpret_cast<INT_PTR>(&block)), &r));
    EXPECT_EQ(112, r.left);
    EXPECT_EQ(688, r.right);
    EXPECT_EQ(28u + 9 * 28, GlobalSize(block));
    auto* head = static_cast<OutlinePointBlock*>(GlobalLock(block));
    EXPECT_EQ(9, head->count);
    EXPECT_EQ(576, head->designWidth);
    const auto* v = reinterpret_cast<const OutlineVertex*>(head + 1);
    const int r0 = 55; // trunc(0.2 x 276)
    EXPECT_EQ(r0, v[0].x);
    EXPECT_EQ(2, v[2].pieceClass);
    EXPECT_EQ(3, v[2].lineShape);
    EXPECT_EQ(576, v[2].x);
    EXPECT_EQ(r0, v[2].y);
    EXPECT_EQ(r0, v[8].x);
    EXPECT_EQ(0, v[8].y);
    GlobalUnlock(block);

    // A polygon's pieces are straight, with the direction of each.
    const int diamond = Add(ShapeDecision, RECT{0, 0, 600, 300});
    ASSERT_EQ(0, Send(diamond, OM_TOOUTLINE, 0, static_cast<int>(reinterpret_cast<INT_PTR>(&block)), &r));
    head = static_cast<OutlinePointBlock*>(GlobalLock(block));
    EXPECT_EQ(5, head->count);
    v = reinterpret_cast<const OutlineVertex*>(head + 1);
    EXPECT_EQ(1, v[0].orientation);
    EXPECT_EQ(1, v[1].orientation);
    EXPECT_EQ(600, v[1].x);
    GlobalUnlock(block);
    GlobalFree(block);
}

} // namespace
