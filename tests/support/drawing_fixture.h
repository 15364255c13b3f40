// The drawing every drawing test works on: a working-copy store in a fresh temporary folder,
// a hidden view window holding the DocumentState and its Drawing, default settings, the real
// class handlers (or the test's own), and an answerer for message boxes and hint dialogs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "documents/settings.h"
#include "model/drawing.h"
#include "support/prompt_answerer.h"
#include "support/temp_folder.h"

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline std::ostream& operator<<(std::ostream& out, const POINT& p)
{
    return out << "(" << p.x << ", " << p.y << ")";
}

class DrawingFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers and installs the class handlers; the default is the program's own classes.
    virtual void InstallHandlers();

    // The view's drawing, locked for the guard's lifetime.
    Locked<Drawing> LockDrawing() const;
    HGLOBAL DrawingHandle() const;

    // Adds an object through AddObject (no undo, no selection) and returns its row, the last.
    int AddAt(int objClass, RECT rect, int type, int a = 0, int b = 0, void* p = nullptr);
    int Count() const;
    DrawObject Object(int row) const;
    // The rows whose objects are selected, in row order.
    std::vector<int> SelectedRows() const;
    // Calls `change(object, drawing)` on the row with the tables locked.
    template <typename F>
    void Change(int row, F change)
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        change((*objects)[row], *d);
    }
    std::vector<int> ZOrder() const;
    std::vector<LinkEntry> LinkEntries() const;
    std::vector<GroupEntry> Groups() const;
    // Adds a group entry `groupId` with members `rows` and recomputes it; with
    // `keepGroupedFrames` each member's frame becomes its grouped frame. Returns its index.
    int AddGroup(int groupId, const std::vector<int>& rows, bool keepGroupedFrames);
    // The payload of a stored record (after its block header); empty when it is missing.
    std::string RecordBytes(int type, int id) const;
    std::string ObjectBytes() const { return RecordBytes(RecObjectList, 0); }

    Settings settings_ = {};
    std::unique_ptr<TempFolder> folder_;
    std::unique_ptr<PromptAnswerer> prompts_;
    std::string path_;
    HFILE file_ = HFILE_ERROR;
    int slot_ = -1;
    HWND view_ = nullptr;
    HGLOBAL stateBlock_ = nullptr;
    DocumentState* state_ = nullptr;
};
