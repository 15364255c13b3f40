// The object-text tests' document: a hidden frame with one blank drawing.
#include "object_text_fixture.h"

#include <cstring>

#include "documents/document_life.h"
#include "documents/document_window.h"
#include "frame/frame_main.h"
#include "frame/frame_startup.h"
#include "frame/object_classes.h"
#include "frame/view_layout.h"
#include "model/groups.h"
#include "model/objects.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "support/frame_support.h"
#include "text/object_text.h"
#include "text/text_paint.h"
#include "model/undo.h"

std::vector<BYTE> MakeTextBlock(const std::string& text, int alignment, int size, int options)
{
    std::vector<BYTE> block(kTextBlockSize + kTextRunSize + kParagraphFormatSize + text.size());
    auto* header = reinterpret_cast<TextBlock*>(block.data());
    header->runCount = 1;
    header->formatCount = 1;
    header->textLength = static_cast<INT32>(text.size());
    header->options = options;
    header->layoutWidth = -1;
    header->labelLink = -1;
    auto* run = reinterpret_cast<TextRun*>(block.data() + kTextBlockSize);
    run->size = run->nominalSize = size;
    run->charCount = static_cast<INT32>(text.size());
    auto* format = reinterpret_cast<ParagraphFormat*>(block.data() + kTextBlockSize + kTextRunSize);
    format->alignment = alignment;
    format->spacingBase = 120;
    format->tabInterval = 150;
    format->hyphenate = 1;
    std::memcpy(block.data() + kTextBlockSize + kTextRunSize + kParagraphFormatSize, text.data(), text.size());
    return block;
}

std::vector<DamagedText> DamagedTexts()
{
    std::vector<DamagedText> out;
    auto with = [&](const char* name, int field, INT32 value, size_t keep) {
        std::vector<BYTE> block = MakeTextBlock("Damaged text");
        if (field >= 0) reinterpret_cast<INT32*>(block.data())[field] = value;
        if (keep) block.resize(keep);
        out.push_back({name, block});
    };
    with("shorter than its header", -1, 0, 40);
    with("text beyond the record", 2, 5000, 0);
    with("too many runs", 0, 1000, 0);
    with("negative line count", 1, -1, 0);
    with("runs that miss the text", (kTextBlockSize + 60) / 4, 3, 0);
    return out;
}

void ObjectTextTest::SetUp()
{
    prompts_ = std::make_unique<PromptAnswerer>(IDNO);
    settings_ = {};
    settings_.defaults.defaultTextSize = 12;
    std::strcpy(settings_.defaults.defaultFace, "Arial");
    g_settings = &settings_;
    UntitledCounter = 0;
    if (!g_patternBrushes[0]) {
        ASSERT_EQ(0, CreateSharedGdiObjects());
    }
    // The program's start-up installs the object classes; a hidden frame made here does not.
    ASSERT_EQ(0, InstallObjectClasses());
    ASSERT_EQ(0, CreateMainFrame(FALSE));
    document_ = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_NE(nullptr, document_);
    view_ = GetDocumentView(document_);
    ASSERT_NE(nullptr, view_);
    // Without a style table the new drawing's colours are all 0: its page is made white.
    LockDrawing()->style.backgroundColor = static_cast<COLORREF>(-1);
}

void ObjectTextTest::TearDown()
{
    if (view_ && Editor()) EndTextEditing(view_, -1);
    DestroyFrameAndDocuments();
    g_settings = nullptr;
    UntitledCounter = 0;
    prompts_.reset();
}

Locked<DocumentState> ObjectTextTest::State() const
{
    return Locked<DocumentState>(GetDocumentStateHandle(view_));
}

Locked<Drawing> ObjectTextTest::LockDrawing() const
{
    return Locked<Drawing>(State()->drawing);
}

int ObjectTextTest::Add(int objClass, RECT rect, int type)
{
    EXPECT_EQ(0, AddObject(view_, objClass, &rect, type, 0, 0, FALSE, TRUE, nullptr, FALSE));
    return Count() - 1;
}

int ObjectTextTest::Count() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    return objects->count;
}

DrawObject ObjectTextTest::Object(int row) const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    return (*objects)[row];
}

void ObjectTextTest::StoreText(int row, const std::vector<BYTE>& block)
{
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    DrawObject& object = (*objects)[row];
    const int slot = d->header.slot;
    HGLOBAL record = nullptr;
    if (object.textId < 0) {
        int id = 0;
        ASSERT_EQ(0, NextFreeRecordId(slot, RecTextBlock, &id));
        ASSERT_EQ(0, AddRecord(slot, RecTextBlock, id, kBlockHeaderSize, &record));
        object.textId = id;
    } else {
        ASSERT_EQ(0, LoadRecord(slot, RecTextBlock, object.textId, &record));
    }
    ASSERT_EQ(0, ResizeRecord(&record, static_cast<DWORD>(kBlockHeaderSize + block.size())));
    {
        Locked<BYTE> bytes(record);
        std::memcpy(bytes.get() + kBlockHeaderSize, block.data(), block.size());
    }
    MarkBlockDirty(record);
    ReleaseBlock(record);
}

std::vector<BYTE> ObjectTextTest::StoredText(int row) const
{
    const DrawObject object = Object(row);
    if (object.textId < 0) return {};
    Locked<Drawing> d = LockDrawing();
    HGLOBAL record = nullptr;
    if (LoadRecord(d->header.slot, RecTextBlock, object.textId, &record)) return {};
    std::vector<BYTE> payload;
    {
        Locked<BYTE> bytes(record);
        payload.assign(bytes.get() + kBlockHeaderSize, bytes.get() + GetBlockSize(record));
    }
    ReleaseBlock(record);
    return payload;
}

TextBlock ObjectTextTest::StoredHeader(int row) const
{
    TextBlock header = {};
    const std::vector<BYTE> payload = StoredText(row);
    if (payload.size() >= sizeof header) std::memcpy(&header, payload.data(), sizeof header);
    return header;
}

std::vector<TextRun> ObjectTextTest::StoredRuns(int row) const
{
    const std::vector<BYTE> payload = StoredText(row);
    if (payload.size() < sizeof(TextBlock)) return {};
    const auto* header = reinterpret_cast<const TextBlock*>(payload.data());
    const auto* runs = reinterpret_cast<const TextRun*>(payload.data() + kTextBlockSize + kTextLineSize * header->lineCount);
    return std::vector<TextRun>(runs, runs + header->runCount);
}

int ObjectTextTest::AddGroup(const std::vector<int>& rows, int handleLayout)
{
    Locked<Drawing> d = LockDrawing();
    int index;
    {
        Locked<GroupTable> probe(d->groupTable);
        index = probe->count;
    }
    EXPECT_EQ(0, ResizeRecord(&d->groupTable, GroupTable::SizeFor(index + 1)));
    {
        Locked<GroupTable> table(d->groupTable);
        (*table)[index] = GroupEntry{};
        (*table)[index].groupId = 77;
        (*table)[index].handleLayout = handleLayout;
        table->count = index + 1;
        Locked<ObjectList> objects(d->objectList);
        for (int row : rows) {
            (*objects)[row].groupId = 77;
            (*objects)[row].groupRow = index;
            (*objects)[row].groupFrame = (*objects)[row].frame;
        }
        // A group keeps its proportions when one of its members does.
        (*objects)[rows.back()].handleLayout = handleLayout;
    }
    UpdateGroupBounds(d.get(), index, nullptr);
    return index;
}

GroupEntry ObjectTextTest::Group(int index) const
{
    Locked<Drawing> d = LockDrawing();
    Locked<GroupTable> table(d->groupTable);
    return (*table)[index];
}

int ObjectTextTest::Begin(int row, int x, int y, int hidden)
{
    Locked<DocumentState> state = State();
    return BeginObjectTextEdit(view_, state.get(), row, x, y, hidden);
}

HWND ObjectTextTest::Editor() const
{
    return State()->textEditor;
}

void ObjectTextTest::Type(const std::string& text, int alignment)
{
    HWND editor = Editor();
    ASSERT_NE(nullptr, editor);
    std::vector<BYTE> block = MakeTextBlock(text, alignment);
    auto* header = reinterpret_cast<TextBlock*>(block.data());
    header->ownerRow = EditorState().ownerRow;
    header->options = static_cast<INT32>(EditorState().options & TenOptWordWrap);
    ASSERT_EQ(0, SendMessageA(editor, TEN_LOADTEXTBLOCK, TenEditRepaint, reinterpret_cast<LPARAM>(block.data())));
    SendMessageA(editor, TEN_SETMODIFIED, 1, 0);
}

TenState ObjectTextTest::EditorState() const
{
    Locked<TenState> state(TenStateHandle(Editor()));
    return *state;
}

int ObjectTextTest::End(int mode)
{
    return EndTextEditing(view_, mode);
}

void ObjectTextTest::EditText(int row, const std::string& text, int x, int y)
{
    ASSERT_EQ(0, Begin(row, x, y));
    Type(text);
    ASSERT_EQ(0, End(0));
}
