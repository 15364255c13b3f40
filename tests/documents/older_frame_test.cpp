// An older drawing opened in the real frame: converted on the way in, and its first save in
// place asks before it writes the current format.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_open.h"
#include "documents/document_save.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "frame/frame_main.h"
#include "frame/object_classes.h"
#include "model/drawing.h"
#include "store/block_store.h"
#include "support/frame_support.h"
#include "support/prompt_answerer.h"
#include "support/temp_folder.h"
#include "text/text_records.h"
#include "older_store.h"

namespace {

std::string Message(UINT id)
{
    char text[1024] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return std::string("Vexlor: ") + text;
}

// One laid-out line of `text` in one run, as an older version stored it.
Bytes OldText(const std::string& text)
{
    Bytes b = OldTextRecord(1, 1, 1, 1, text);
    std::fill(b.begin() + 10, b.end() - static_cast<long>(text.size()), 0);
    const int line = 50, run = line + 30, format = run + 38, segment = format + 22;
    PutAt<INT16>(b, 24, 1000);               // layout width
    PutAt<INT16>(b, line + 2, 100);          // height
    PutAt<INT16>(b, line + 20, static_cast<INT16>(text.size()));   // characters
    PutAt<INT16>(b, line + 28, 1);           // segments
    PutAt<INT16>(b, run + 2, 12);            // size
    PutAt<INT16>(b, run + 34, static_cast<INT16>(text.size()));
    PutAt<INT16>(b, format + 14, 120);
    PutAt<INT16>(b, format + 18, 150);
    PutAt<INT16>(b, segment, static_cast<INT16>(text.size()));
    PutAt<INT16>(b, segment + 2, static_cast<INT16>(text.size()));
    return b;
}

class OlderFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>(IDNO);
        settings_ = {};
        settings_.ruler.scaleBase = 100.0;
        settings_.ruler.divisions = 12;
        settings_.ruler.shownValue = 1.0;
        g_settings = &settings_;
        UntitledCounter = 0;
        ASSERT_EQ(0, CreateMainFrame(FALSE));
        ASSERT_EQ(0, InstallObjectClasses());
    }
    void TearDown() override
    {
        DestroyFrameAndDocuments();
        g_settings = nullptr;
        UntitledCounter = 0;
        prompts_.reset();
    }
    // Opens `path` as the command line does.
    int Open(const std::string& path)
    {
        char buffer[262];
        lstrcpynA(buffer, path.c_str(), sizeof buffer);
        return OpenDocumentCommand(buffer, FALSE, DocModeOpen);
    }
    static bool Modified(HWND view)
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        return (state->flags & DocModified) != 0;
    }
    static bool Older(HWND window)
    {
        Locked<DocumentFile> file(GetDocumentFileHandle(window));
        return file->olderVersion != 0;
    }

    std::unique_ptr<PromptAnswerer> prompts_;
    Settings settings_;
    TempFolder folder_;
};

TEST_F(OlderFrameTest, AnOldDrawingOpensConvertedAndItsFirstSaveAsks)
{
    const std::string path = folder_.File("old.vxr");
    {
        OldStore store(path);
        PutOldDrawing(store, 2, 2);
        Bytes list = store.Payload(110, 0);
        PutAt<INT16>(list, 2 + 92, 1);   // the first shape's text record
        store.Put(110, 0, list);
        store.Put(114, 1, OldText("Old text"));
    }
    ASSERT_EQ(0, Open(path));
    EXPECT_TRUE(ShownPrompts(*prompts_).empty());
    ASSERT_EQ(1u, DocumentWindows().size());
    HWND window = DocumentWindows()[0];
    HWND view = GetDocumentView(window);
    EXPECT_TRUE(Older(window));
    EXPECT_FALSE(Modified(view));
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        EXPECT_EQ(4, state->version);
        Locked<Drawing> drawing(state->drawing);
        Locked<ObjectList> objects(drawing->objectList);
        ASSERT_EQ(2, objects->count);
        EXPECT_EQ(800, (*objects)[1].frame.left);
        EXPECT_EQ(1, (*objects)[0].textId);
        HGLOBAL record = nullptr;
        ASSERT_EQ(0, LoadRecord(state->storeSlot, RecTextBlock, 1, &record));
        Locked<BYTE> text(record);
        const TextBlock* block = reinterpret_cast<const TextBlock*>(text.get() + 16);
        EXPECT_EQ(8, block->textLength);
        // Laid out again on opening: the text follows however many lines and segments it has now.
        const BYTE* chars = text.get() + 16 + 88 + 60 * block->lineCount + 68 * block->runCount +
                            44 * block->formatCount + 24 * block->segmentCount;
        EXPECT_EQ("Old text", std::string(reinterpret_cast<const char*>(chars), 8));
        ReleaseBlock(record);
    }

    {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        state->flags |= DocModified;
    }
    prompts_->QueueAnswers({IDCANCEL});
    SaveDocument(window);
    EXPECT_EQ(std::vector<std::string>{Message(54)}, ShownPrompts(*prompts_));
    EXPECT_TRUE(Modified(view));
    EXPECT_TRUE(Older(window));

    prompts_->Clear();
    prompts_->QueueAnswers({IDOK});
    EXPECT_EQ(0, SaveDocument(window));
    EXPECT_EQ(std::vector<std::string>{Message(54)}, ShownPrompts(*prompts_));
    EXPECT_FALSE(Older(window));
    EXPECT_FALSE(Modified(view));

    prompts_->Clear();
    EXPECT_EQ(0, SaveDocument(window));
    EXPECT_TRUE(ShownPrompts(*prompts_).empty());
}

TEST_F(OlderFrameTest, DamagedAndLaterFilesWarnAndOpenNothing)
{
    struct Case {
        const char* what;
        void (*damage)(OldStore&);
        UINT warning;
    } cases[] = {
        {"a later version", [](OldStore& s) { Bytes b = s.Payload(100, 101); PutAt<INT16>(b, 0, 5); s.Put(100, 101, b); }, 4},
        {"a class above 3", [](OldStore& s) { Bytes b = s.Payload(110, 0); PutAt<INT16>(b, 2, 9); s.Put(110, 0, b); }, 8},
    };
    for (const Case& c : cases) {
        const std::string path = folder_.File("damaged.vxr");
        DeleteFileA(path.c_str());
        {
            OldStore store(path);
            PutOldDrawing(store, 1, 1);
            c.damage(store);
        }
        prompts_->Clear();
        Open(path);
        EXPECT_EQ(std::vector<std::string>{Message(c.warning)}, ShownPrompts(*prompts_)) << c.what;
        EXPECT_TRUE(DocumentWindows().empty()) << c.what;
    }
}

}  // namespace
