// A drawing in a fresh working-copy store with a view window, and recording class handlers.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "model/class_protocol.h"
#include "model/drawing.h"

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

// One message a recording handler received.
struct SentMessage {
    int objClass;
    int row;
    int message;
    int a;
    int b;
    int objId;   // id of the addressed object, 0 for type-level queries
};

// Every class slot records what it receives; `answer` gives the result per message (0 else),
// and `initHook` runs for OM_INIT so a test can let a class fail or set hook capacity.
struct Recorder {
    std::vector<SentMessage> log;
    int (*answer)(int message, DrawObject* object) = nullptr;
    int hookCapacity = 2;
    int initResult = 0;

    std::vector<int> Messages(int message) const;   // object ids that got `message`, in order
    void Clear() { log.clear(); }
};
extern Recorder g_recorder;

class ModelTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The view's drawing, locked for the guard's lifetime.
    Locked<Drawing> LockDrawing() const;
    DocumentState* State() const;   // the locked state stays valid while the test runs
    HGLOBAL DrawingHandle() const;

    // Adds an object of `objClass` over (x, y, x + w, y + h) without undo or selection; returns
    // its row (the last one).
    int Add(int objClass, int x = 600, int y = 600, int w = 300, int h = 300);
    int Count() const;
    DrawObject Object(int row) const;
    std::vector<int> ZOrder() const;
    std::vector<LinkEntry> Links() const;
    std::vector<GroupEntry> Groups() const;
    // Adds a group entry with members `rows` and recomputes it.
    int MakeGroup(int groupId, const std::vector<int>& rows);
    // Bytes of a stored record's payload.
    std::string RecordBytes(int type, int id) const;

    HWND view_ = nullptr;
    int slot_ = -1;
    HFILE file_ = HFILE_ERROR;
    std::string path_;
    HGLOBAL stateBlock_ = nullptr;
    DocumentState* state_ = nullptr;
    Settings settings_ = {};
};
