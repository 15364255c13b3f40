// The class handler table and the dispatch of protocol messages by object class.
#include "model/class_protocol.h"

#include "shapes/shape_class.h"
#include "text/object_text.h"

ClassHandlerTable g_classHandlers = {};
BOOL RotationRefused = FALSE;

namespace {

// Holds a class slot until that class's own handler is installed there: every message is
// answered with 0 and nothing changes.
LONG CALLBACK UnbuiltClassHandler(HDC, Drawing*, void*, int, int, int, int, void*)
{
    return 0;
}

}  // namespace

int InstallClassHandlers()
{
    // A slot that already holds a handler keeps it.
    if (!g_classHandlers.classes[ClassShape]) g_classHandlers.classes[ClassShape] = SED_ShapeHandler;
    for (ObjectClassHandler& slot : g_classHandlers.classes) {
        if (!slot) slot = UnbuiltClassHandler;
    }
    g_classHandlers.textBackground = SED_TENProc;
    for (ObjectClassHandler slot : g_classHandlers.classes) {
        if (!slot) return 10004;
    }
    return g_classHandlers.textBackground ? 0 : 10004;
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
