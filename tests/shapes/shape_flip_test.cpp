// Shape flip, option and picture-option messages: kinds that change, mirror bits that toggle,
// refused bitmaps, re-fitted links, and undo of a flip through the selection edit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/edit_ops.h"
#include "model/links.h"
#include "model/undo.h"
#include "shape_fixture.h"
#include "shapes/shape_kinds.h"

namespace {

constexpr int H = OptMirrorH;
constexpr int V = OptMirrorV;

class ShapeFlip : public ShapeClass {
protected:
    // The flags of the first LinkIndex entry, -1 without one.
    long FirstLinkFlags()
    {
        Locked<Drawing> d(state_->drawing);
        Locked<LinkIndex> index(d->linkIndex);
        return index->count > 0 ? static_cast<long>((*index)[0].flags) : -1;
    }
    void ClearLinkFlags()
    {
        Locked<Drawing> d(state_->drawing);
        Locked<LinkIndex> index(d->linkIndex);
        for (int i = 0; i < index->count; ++i) (*index)[i].flags = 0;
    }
    // A second shape hooked onto `target`.
    void HookOnto(int target)
    {
        const int holder = Add(ShapeRectangle, RECT{3000, 3000, 3300, 3300});
        Locked<Drawing> d(state_->drawing);
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, target, 1, 600, 300));
    }
};

TEST_F(ShapeFlip, KindsMirrorByKindOrByMirrorBits)
{
    struct Case {
        int kind;
        int request;
        int wantKind;
        DWORD wantBits;
    } cases[] = {
        {ShapeTriangle, V, ShapeReverseTriangle, 0},
        {ShapeTriangle, H, ShapeTriangle, 0},
        {ShapeReverseTriangle, V, ShapeTriangle, 0},
        {ShapeRightArrow, H, ShapeLeftArrow, 0},
        {ShapeLeftArrow, H | V, ShapeRightArrow, 0},
        {ShapeTopArrow, V, ShapeBottomArrow, 0},
        {ShapeBottomArrow, H, ShapeBottomArrow, 0},
        {ShapeTrapezoid, V, ShapeManualOperation, 0},
        {ShapeManualOperation, V, ShapeTrapezoid, 0},
        {ShapeInputOutput, H, ShapeInputOutput, H},
        {ShapeInputOutput, H | V, ShapeInputOutput, 0},
        {ShapeDocument, H | V, ShapeDocument, H | V},
        {ShapeInput, V, ShapeInput, V},
        {ShapeOnlineStorage, H | V, ShapeOnlineStorage, H},
        {ShapePentagon, V, ShapePentagon, 0},
        {ShapeOffPageConnector, H | V, ShapeOffPageConnector, V},
        {ShapeDisplay, H, ShapeDisplay, H},
        {ShapePreparation, H | V, ShapePreparation, 0},
        {ShapeOctagon, H | V, ShapeOctagon, 0},
        {ShapeOval, H | V, ShapeOval, 0},
        {ShapeRectangle, H | V, ShapeRectangle, 0},
    };
    for (const Case& c : cases) {
        const int row = Add(c.kind, RECT{600, 600, 1500, 1200});
        EXPECT_EQ(0, Send(row, OM_FLIP, c.request)) << c.kind;
        const DrawObject after = Object(row);
        EXPECT_EQ(c.wantKind, after.objType) << c.kind << " " << c.request;
        EXPECT_EQ(c.wantBits, after.options & (H | V)) << c.kind << " " << c.request;
        EXPECT_FALSE(RotationRefused);
    }
}

TEST_F(ShapeFlip, ParallelogramFlippedBothWaysInTurnLosesItsMirrorBits)
{
    const int row = Add(ShapeInputOutput, RECT{600, 600, 1500, 1200});
    ASSERT_EQ(0, Send(row, OM_FLIP, H));
    EXPECT_EQ(DWORD(H), Object(row).options & (H | V));
    ASSERT_EQ(0, Send(row, OM_FLIP, V));
    EXPECT_EQ(0u, Object(row).options & (H | V));
    EXPECT_EQ(ShapeInputOutput, Object(row).objType);
}

TEST_F(ShapeFlip, BitmapPicturesAreRefusedAndMetafilesMirror)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1500, 1200});
    Change(row, [](DrawObject& s, Drawing&) {
        s.state |= StatePicture;
        s.dataType = 112;
        s.dataCount = 1;
    });
    const std::string before = ObjectBytes();
    EXPECT_EQ(0, Send(row, OM_FLIP, H | V));
    EXPECT_TRUE(RotationRefused);
    EXPECT_TRUE(before == ObjectBytes());

    RotationRefused = FALSE;
    Change(row, [](DrawObject& s, Drawing&) { s.dataType = 113; });
    EXPECT_EQ(0, Send(row, OM_FLIP, V));
    EXPECT_FALSE(RotationRefused);
    EXPECT_EQ(DWORD(V), Object(row).options & (H | V));
    // A metafile shape without chunks has nothing to mirror.
    Change(row, [](DrawObject& s, Drawing&) { s.dataCount = 0, s.options &= ~V; });
    EXPECT_EQ(0, Send(row, OM_FLIP, H | V));
    EXPECT_EQ(0u, Object(row).options & (H | V));
}

TEST_F(ShapeFlip, CustomConnectionPointsSwapTheTextFractionsOfTheMirroredAxis)
{
    const int row = Add(ShapeCustom, RECT{600, 600, 1500, 1200});
    Change(row, [](DrawObject& s, Drawing&) {
        s.state |= StateCustomHooks;
        const double f[4] = {0.1, 0.2, 0.3, 0.4};
        std::memcpy(s.classData, f, sizeof f);
    });
    ASSERT_EQ(0, Send(row, OM_FLIP, H));
    double f[4];
    DrawObject after = Object(row);
    std::memcpy(f, after.classData, sizeof f);
    EXPECT_EQ(0.3, f[0]);
    EXPECT_EQ(0.2, f[1]);
    EXPECT_EQ(0.1, f[2]);
    EXPECT_EQ(0.4, f[3]);
    ASSERT_EQ(0, Send(row, OM_FLIP, V));
    after = Object(row);
    std::memcpy(f, after.classData, sizeof f);
    EXPECT_EQ(0.4, f[1]);
    EXPECT_EQ(0.2, f[3]);
    EXPECT_EQ(DWORD(H | V), after.options & (H | V));
}

TEST_F(ShapeFlip, OnlyToggledMirrorBitsReFitTheLinks)
{
    const int mirrored = Add(ShapeDocument, RECT{600, 600, 1500, 1200});
    HookOnto(mirrored);
    ClearLinkFlags();
    ASSERT_EQ(0, Send(mirrored, OM_FLIP, H));
    EXPECT_EQ(long(LinkChanged | LinkRefit), FirstLinkFlags());

    ClearLinkFlags();
    // A request for an axis the kind cannot carry changes nothing.
    const int online = Add(ShapeOnlineStorage, RECT{600, 600, 1500, 1200});
    const std::string before = ObjectBytes();
    ASSERT_EQ(0, Send(online, OM_FLIP, V));
    EXPECT_TRUE(before == ObjectBytes());
    const int hexagon = Add(ShapePreparation, RECT{600, 600, 1500, 1200});
    ASSERT_EQ(0, Send(hexagon, OM_FLIP, H | V));
    EXPECT_EQ(0, FirstLinkFlags());
}

TEST_F(ShapeFlip, FlipsOfTheSelectionUndoByteForByte)
{
    const int arrow = Add(ShapeRightArrow, RECT{600, 600, 1500, 1200});
    const int document = Add(ShapeDocument, RECT{2000, 600, 2900, 1200});
    for (int row : {arrow, document})
        Change(row, [](DrawObject& s, Drawing& d) { s.state |= StateSelected, ++d.selectedCount; });
    for (int request : {H, V, H | V}) {
        const std::string before = ObjectBytes();
        ASSERT_EQ(0, ApplyToSelection(view_, OM_FLIP, request, nullptr, FALSE));
        const std::string after = ObjectBytes();
        EXPECT_FALSE(before == after) << request;
        ASSERT_EQ(0, UndoLastChange(view_, TRUE));
        EXPECT_TRUE(before == ObjectBytes()) << request;
        ASSERT_EQ(0, UndoLastChange(view_, TRUE));
        EXPECT_TRUE(after == ObjectBytes()) << request;
    }
    EXPECT_EQ(ShapeRightArrow, Object(arrow).objType);
}

TEST_F(ShapeFlip, OptionBitsAreSetOrClearedThenTheEffectsRefreshed)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1500, 1200});
    Change(row, [](DrawObject&, Drawing& d) { d.style.shadowStyle = 4, d.style.shadowDx = 60, d.style.shadowDy = 60; });
    ASSERT_EQ(0, Send(row, OM_RECALC));
    const RECT shadowed = Object(row).updateRect;
    ASSERT_EQ(0, Send(row, OM_SETOPTIONS, OptShadowHidden, 1));
    DrawObject after = Object(row);
    EXPECT_EQ(DWORD(OptShadowHidden), after.options & OptShadowHidden);
    EXPECT_EQ(shadowed.right - 60, after.updateRect.right);
    ASSERT_EQ(0, Send(row, OM_SETOPTIONS, OptShadowHidden | OptNoTextShadow, 0));
    after = Object(row);
    EXPECT_EQ(0u, after.options & (OptShadowHidden | OptNoTextShadow));
    EXPECT_EQ(shadowed.right, after.updateRect.right);
}

TEST_F(ShapeFlip, PictureOptionsSetTheLayoutAndTheFrameColours)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1500, 1200});
    Change(row, [](DrawObject& s, Drawing&) {
        s.state |= StatePicture;
        s.options |= OptFramed;
        s.lineWidth = 0;
        s.fillPattern = 0;
        s.fillColor = 0;
        s.lineColor = RGB(255, 255, 255);
    });
    INT32 layout[2] = {0, 2};
    std::string before = ObjectBytes();
    ASSERT_EQ(0, Send(row, OM_SETFRAMEON, -1, 0, layout));
    DrawObject after = Object(row);
    EXPECT_EQ(2, after.handleLayout);
    Change(row, [](DrawObject& s, Drawing&) { s.handleLayout = 0; });
    EXPECT_TRUE(before == ObjectBytes());

    // Dropping option 0x1: the picture takes the shape's colours, with a visible frame.
    layout[1] = 3;
    ASSERT_EQ(0, Send(row, OM_SETFRAMEON, 0, 0, layout));
    after = Object(row);
    EXPECT_EQ(3, after.handleLayout);
    EXPECT_EQ(0u, after.options & OptFramed);
    EXPECT_EQ(1, after.lineWidth);
    EXPECT_EQ(1, after.fillPattern);
    EXPECT_EQ(RGB(255, 255, 255), after.fillColor);
    EXPECT_EQ(0u, after.lineColor);
    // Taking it back removes border and fill.
    ASSERT_EQ(0, Send(row, OM_SETFRAMEON, 1, 0, layout));
    after = Object(row);
    EXPECT_EQ(DWORD(OptFramed), after.options & OptFramed);
    EXPECT_EQ(0, after.lineWidth);
    EXPECT_EQ(0, after.fillPattern);
    // The same value again changes nothing but the layout.
    Change(row, [](DrawObject& s, Drawing&) { s.lineWidth = 5; });
    ASSERT_EQ(0, Send(row, OM_SETFRAMEON, 1, 0, layout));
    EXPECT_EQ(5, Object(row).lineWidth);
}

TEST_F(ShapeFlip, HandleLayoutOfAKindNeedsNoObject)
{
    for (int kind = 0; kind < kShapeKindCount; ++kind)
        EXPECT_EQ(kind == ShapeCircle ? 3 : 0, SED_ShapeHandler(nullptr, nullptr, nullptr, -1, OM_TYPEHANDLES, kind, 0, nullptr));
}

} // namespace
