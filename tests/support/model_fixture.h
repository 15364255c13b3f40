// The drawing fixture with recording handlers in every class slot, for tests of the model that
// check which messages an operation sends and in which order.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "model/class_protocol.h"
#include "support/drawing_fixture.h"

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
// and OM_INIT sets the hook capacity and answers `initResult`, so a test can let a class fail.
struct Recorder {
    std::vector<SentMessage> log;
    int (*answer)(int message, DrawObject* object) = nullptr;
    int hookCapacity = 2;
    int initResult = 0;

    std::vector<int> Messages(int message) const;   // object ids that got `message`, in order
    void Clear() { log.clear(); }
};
extern Recorder g_recorder;

// Registers a recording handler in each of the four class slots (the text editor's callback
// stays the program's) and installs the table.
void InstallRecordingHandlers();

class ModelTest : public DrawingFixture {
protected:
    void InstallHandlers() override;

    DocumentState* State() const { return state_; }   // locked while the test runs

    // Adds an object of `objClass` over (x, y, x + w, y + h); returns its row (the last one).
    int Add(int objClass, int x = 600, int y = 600, int w = 300, int h = 300)
    {
        return AddAt(objClass, RECT{x, y, x + w, y + h}, 2);
    }
    std::vector<LinkEntry> Links() const { return LinkEntries(); }
    int MakeGroup(int groupId, const std::vector<int>& rows) { return AddGroup(groupId, rows, false); }
};
