// The class handler table and the dispatch of protocol messages by object class.
#include "model/class_protocol.h"

#include "store/results.h"

ClassHandlerTable g_classHandlers = {};
BOOL RotationRefused = FALSE;

namespace {

// What start-up registered, copied into the live table by InstallClassHandlers.
ClassHandlerTable g_registered = {};

}  // namespace

void RegisterClassHandler(int objClass, ObjectClassHandler handler)
{
    if (objClass >= 0 && objClass < ClassCount) g_registered.classes[objClass] = handler;
}

void RegisterTextBackgroundProc(TextBackgroundProc proc)
{
    g_registered.textBackground = proc;
}

int InstallClassHandlers()
{
    g_classHandlers = g_registered;
    for (ObjectClassHandler slot : g_classHandlers.classes) {
        if (!slot) return ErrOutOfMemory;
    }
    return g_classHandlers.textBackground ? 0 : ErrOutOfMemory;
}

void RemoveClassHandlers()
{
    g_classHandlers = {};
}

ObjectClassHandler HandlerForClass(int objClass)
{
    if (objClass < 0 || objClass >= ClassCount) return nullptr;
    return g_classHandlers.classes[objClass];
}

LONG SendClassMessage(HDC dc, Drawing* drawing, ObjectList* objects, int row, int message, int a,
                      int b, void* p)
{
    if (!objects || row < 0 || row >= objects->count) return 0;
    ObjectClassHandler handler = HandlerForClass((*objects)[row].objClass);
    return handler ? handler(dc, drawing, objects, row, message, a, b, p) : 0;
}

LONG SendStandaloneMessage(HDC dc, Drawing* drawing, DrawObject* object, int message, int a, int b,
                           void* p)
{
    ObjectClassHandler handler = HandlerForClass(object->objClass);
    return handler ? handler(dc, drawing, object, -1, message, a, b, p) : 0;
}

LONG SendTypeQuery(int objClass, int message, int a, int b, void* p)
{
    ObjectClassHandler handler = HandlerForClass(objClass);
    return handler ? handler(nullptr, nullptr, nullptr, -1, message, a, b, p) : 0;
}
