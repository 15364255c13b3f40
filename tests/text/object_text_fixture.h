// A shown-frame document for the object-text tests: objects, their stored text, the in-place
// editor opened, typed into (by loading a text block) and left.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "documents/options.h"
#include "model/drawing.h"
#include "support/prompt_answerer.h"
#include "text/text_records.h"

// A TextBlock of one run and one paragraph format, without lines: the editor lays it out.
std::vector<BYTE> MakeTextBlock(const std::string& text, int alignment = 0, int size = 12, int options = 0);

// Stored texts whose counts do not fit their records, by what is wrong with them.
struct DamagedText {
    const char* name;
    std::vector<BYTE> block;
};
std::vector<DamagedText> DamagedTexts();

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

class ObjectTextTest : public testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    Locked<DocumentState> State() const;
    Locked<Drawing> LockDrawing() const;
    // Adds an object (no undo step, not selected) and returns its row.
    int Add(int objClass, RECT rect, int type);
    int AddShape(RECT rect) { return Add(0, rect, 2); }
    int Count() const;
    DrawObject Object(int row) const;
    template <typename F>
    void Change(int row, F change)
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        change((*objects)[row], *d);
    }
    // Gives the object a text record holding `block` as it stands (made when it has none).
    void StoreText(int row, const std::vector<BYTE>& block);
    // The payload of the object's text record; empty without one.
    std::vector<BYTE> StoredText(int row) const;
    TextBlock StoredHeader(int row) const;
    std::vector<TextRun> StoredRuns(int row) const;
    // Groups the rows under one new group entry and returns its index.
    int AddGroup(const std::vector<int>& rows, int handleLayout);
    GroupEntry Group(int index) const;

    int Begin(int row, int x = 0, int y = 0, int hidden = 0);
    HWND Editor() const;
    // Puts `text` into the open editor as typing would leave it: laid out and modified.
    void Type(const std::string& text, int alignment = 0);
    TenState EditorState() const;
    int End(int mode);
    // Opens the editor on the object (or at x, y for -1), types and leaves selecting nothing.
    void EditText(int row, const std::string& text, int x = 0, int y = 0);

    Settings settings_ = {};
    std::unique_ptr<PromptAnswerer> prompts_;
    HWND document_ = nullptr;
    HWND view_ = nullptr;
};
