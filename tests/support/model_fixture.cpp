// Recording class handlers for the model's tests.
#include "support/model_fixture.h"

#include "frame/object_classes.h"

Recorder g_recorder;

std::vector<int> Recorder::Messages(int message) const
{
    std::vector<int> ids;
    for (const SentMessage& sent : log) {
        if (sent.message == message) ids.push_back(sent.objId);
    }
    return ids;
}

namespace {

template <int Class>
LONG CALLBACK RecordingHandler(HDC, Drawing*, void* objects, int row, int message, int a, int b, void*)
{
    DrawObject* object = objects ? AddressedObject(objects, row) : nullptr;
    g_recorder.log.push_back({Class, row, message, a, b, object ? object->objId : 0});
    if (message == OM_INIT && object) {
        object->hookCapacity = g_recorder.hookCapacity;
        return g_recorder.initResult;
    }
    return g_recorder.answer ? g_recorder.answer(message, object) : 0;
}

}  // namespace

void InstallRecordingHandlers()
{
    g_recorder = Recorder{};
    ASSERT_EQ(0, InstallObjectClasses());
    RegisterClassHandler(ClassShape, RecordingHandler<ClassShape>);
    RegisterClassHandler(ClassLine, RecordingHandler<ClassLine>);
    RegisterClassHandler(ClassConnector, RecordingHandler<ClassConnector>);
    RegisterClassHandler(ClassArray, RecordingHandler<ClassArray>);
    ASSERT_EQ(0, InstallClassHandlers());
}

void ModelTest::InstallHandlers()
{
    InstallRecordingHandlers();
}
