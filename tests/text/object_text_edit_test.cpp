// In-place editing of object text: new free text, emptied texts, line labels, the placeholder,
// groups, unchanged edits, the undo checkpoint and stored texts that do not fit their records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editing/view_mouse.h"
#include "frame/frame_standins.h"
#include "model/class_protocol.h"
#include "model/undo.h"
#include "object_text_fixture.h"
#include "text/object_text.h"
#include "text/ten_messages.h"

namespace {

using ObjectTextEditTest = ObjectTextTest;

TEST_F(ObjectTextEditTest, TextTypedOnEmptyPaperBecomesAFreeTextAtTheEditorOrigin)
{
    SelectPaletteTool(109);
    ASSERT_EQ(0, Begin(-1, 1200, 1500));
    EXPECT_EQ(108, g_paletteTool);
    Type("Hello there");
    const TenState editor = EditorState();
    ASSERT_EQ(0, End(0));

    ASSERT_EQ(1, Count());
    const DrawObject text = Object(0);
    const TextBlock stored = StoredHeader(0);
    EXPECT_TRUE(text.state & StateTextOnly);
    EXPECT_FALSE(text.state & (StateTextEditing | StateSelected));
    EXPECT_EQ(editor.originX + 24, text.frame.left);
    EXPECT_EQ(editor.originY + 24, text.frame.top);
    EXPECT_EQ(stored.widestLine + 100, text.frame.right - text.frame.left);
    EXPECT_GT(stored.widestLine, 0);
    EXPECT_EQ(0, stored.marginLeft);
    EXPECT_EQ(0, stored.marginTop);
    EXPECT_EQ(nullptr, Editor());
}

TEST_F(ObjectTextEditTest, AnEmptiedTextDeletesAFreeTextButOnlyTheTextOfAShape)
{
    EditText(-1, "Free", 1200, 1200);
    const int shape = AddShape({3000, 3000, 4200, 3600});
    EditText(shape, "Shape text");
    ASSERT_GE(Object(shape).textId, 0);

    EditText(shape, "");
    EXPECT_EQ(-1, Object(shape).textId);
    EXPECT_EQ(2, Count());
    EditText(0, "");
    ASSERT_EQ(1, Count());
    EXPECT_EQ(RECT({3000, 3000, 4200, 3600}), Object(0).frame);
}

TEST_F(ObjectTextEditTest, TheFirstTextOfALineMakesALabelHookedAtItsAlignment)
{
    struct Case {
        RECT line;
        int alignH, alignV, anchor;
        bool filled;
    };
    const Case cases[] = {
        {{1000, 2000, 4000, 2000}, 0, 0, 203, false},
        {{1000, 2000, 4000, 2000}, 2, 8, 202, false},
        {{1000, 2000, 4000, 2000}, 6, 6, 209, true},
        {{1000, 1000, 4000, 4000}, 6, 0, 206, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.anchor);
        const int line = Add(ClassLine, c.line, 0);
        Change(line, [&](DrawObject& o, Drawing&) {
            o.textAlignH = c.alignH;
            o.textAlignV = c.alignV;
        });
        ASSERT_EQ(0, Begin(line, 0, 0));
        EXPECT_EQ(-1, EditorState().ownerRow);
        Type("Label", c.alignH);
        ASSERT_EQ(0, End(0));
        const int label = Count() - 1;
        const DrawObject owner = Object(line);
        const DrawObject made = Object(label);
        EXPECT_TRUE(made.state & StateAttachedLabel);
        EXPECT_EQ(made.objId, owner.labelId);
        EXPECT_EQ(owner.objId, made.labelId);
        ASSERT_EQ(1, made.hookCount);
        EXPECT_EQ(owner.objId, made.hooks[0].targetId);
        EXPECT_EQ(c.anchor, made.hooks[0].holderCode);
        EXPECT_EQ(c.filled ? 1 : 0, made.fillPattern);
        if (c.filled) {
            EXPECT_EQ(0xFFFFFFu, made.fillColor);
        }
        EXPECT_EQ(made.frame.right - made.frame.left, StoredHeader(label).widestLine + 6);
        INT32 angle = owner.angle;
        {
            Locked<Drawing> d = LockDrawing();
            Locked<ObjectList> objects(d->objectList);
            SendClassMessage(nullptr, d.get(), objects.get(), line, OM_LABELANCHOR, 1, c.anchor, &angle);
        }
        EXPECT_EQ(angle, made.angle);
    }
}

TEST_F(ObjectTextEditTest, ThePlaceholderTextInAnyCaseIsSelectedWhole)
{
    struct Case {
        const char* text;
        LRESULT selection;
    };
    const Case cases[] = {
        {"CLICK below here and type", MAKELONG(0, 25)},
        {"Click below here and type", MAKELONG(0, 25)},
        {"Click below here and typed", 0},
        {"Click above here and type", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const int shape = AddShape({1200, 1200, 3600, 2400});
        StoreText(shape, MakeTextBlock(c.text));
        ASSERT_EQ(0, Begin(shape, 1300, 1300));
        EXPECT_EQ(c.selection, SendMessageA(Editor(), TEN_GETSELECTION, 0, 0));
        EXPECT_TRUE(Object(shape).state & StateTextEditing);
        ASSERT_EQ(0, End(0));
    }
}

TEST_F(ObjectTextEditTest, AnUnchangedEditChangesNothingAndLeavesNoUndoStep)
{
    const int shape = AddShape({1200, 1200, 3600, 2400});
    EditText(shape, "Kept as it is");
    const DrawObject before = Object(shape);
    const std::vector<BYTE> text = StoredText(shape);
    ASSERT_EQ(0, Begin(shape, 1300, 1300));
    ASSERT_EQ(0, End(1));
    const DrawObject after = Object(shape);
    EXPECT_EQ(before.frame, after.frame);
    EXPECT_EQ(before.textId, after.textId);
    EXPECT_TRUE(after.state & StateSelected);
    EXPECT_FALSE(after.state & StateTextEditing);
    EXPECT_EQ(text, StoredText(shape));
    EXPECT_EQ(0, State()->undoLabel);
}

TEST_F(ObjectTextEditTest, OpeningTheEditorDropsTheUndoCheckpointUnlessHidden)
{
    const int shape = AddShape({1200, 1200, 3600, 2400});
    EditText(shape, "Text");
    for (int hidden : {1, 0}) {
        SCOPED_TRACE(hidden);
        ASSERT_EQ(0, SaveUndoState(view_, UndoTyping));
        Change(shape, [](DrawObject& o, Drawing& d) {
            o.state |= StateSelected;
            d.selectedCount = 1;
        });
        ASSERT_EQ(0, Begin(shape, 1300, 1300, hidden));
        EXPECT_EQ(hidden ? UndoTyping : 0, State()->undoLabel);
        EXPECT_EQ(hidden ? 1 : 0, LockDrawing()->selectedCount);
        EXPECT_EQ(hidden == 0, (GetWindowLongA(Editor(), GWL_STYLE) & WS_VISIBLE) != 0);
        ASSERT_EQ(0, End(-1));
    }
}

TEST_F(ObjectTextEditTest, ALockedObjectOpensNoEditor)
{
    const int shape = AddShape({1200, 1200, 3600, 2400});
    Change(shape, [](DrawObject& o, Drawing&) { o.state |= StateLocked; });
    EXPECT_EQ(0, Begin(shape, 1300, 1300));
    EXPECT_EQ(nullptr, Editor());
    EXPECT_FALSE(Object(shape).state & StateTextEditing);
}

TEST_F(ObjectTextEditTest, TextGrowingAGroupedObjectScalesTheGroupInsideThePage)
{
    struct Case {
        int handleLayout;
        bool proportional;
    };
    for (const Case& c : {Case{0, false}, Case{3, true}}) {
        SCOPED_TRACE(c.handleLayout);
        const int first = AddShape({600, 600, 1200, 900});
        const int second = AddShape({1200, 900, 1800, 1200});
        const int group = AddGroup({first, second}, c.handleLayout);
        const GroupEntry before = Group(group);
        ASSERT_EQ(c.handleLayout, before.handleLayout);
        Change(first, [](DrawObject& o, Drawing&) { o.textFit = 1; });
        // Typed, so that the editor grows as the line does.
        ASSERT_EQ(0, Begin(first, 700, 700));
        for (char c : std::string("A line of text much wider than the shape it lives in"))
            SendMessageA(Editor(), WM_CHAR, static_cast<BYTE>(c), 1);
        ASSERT_EQ(0, End(0));
        const GroupEntry after = Group(group);
        const double sx = double(after.frame.right - after.frame.left) / (before.frame.right - before.frame.left);
        const double sy = double(after.frame.bottom - after.frame.top) / (before.frame.bottom - before.frame.top);
        EXPECT_GT(sx, 1.0);
        if (c.proportional) {
            EXPECT_NEAR(sx, sy, 0.02);
        } else {
            EXPECT_NEAR(1.0, sy, 0.02);
        }
        EXPECT_GE(after.frame.left, 0);
        EXPECT_GE(after.frame.top, 0);
        EXPECT_LE(after.frame.right, LockDrawing()->pageWidth);
    }
}

TEST_F(ObjectTextEditTest, AStoredTextThatDoesNotFitItsRecordOpensNothing)
{
    for (const DamagedText& damaged : DamagedTexts()) {
        SCOPED_TRACE(damaged.name);
        const int shape = AddShape({1200, 1200, 3600, 2400});
        StoreText(shape, damaged.block);
        EXPECT_EQ(10004, Begin(shape, 1300, 1300));
        EXPECT_EQ(nullptr, Editor());
        EXPECT_FALSE(Object(shape).state & StateTextEditing);
    }
}

}  // namespace
