// The class handler table and the dispatch of protocol messages by object class.
#include "model/class_protocol.h"

#include "model/drawing.h"
#include "store/results.h"

ClassHandlerTable g_classHandlers = {};
BOOL RotationRefused = FALSE;

namespace {

// What start-up registered, copied into the live table by InstallClassHandlers.
ClassHandlerTable g_registered = {};

// Messages that only draw (the XOR feedback of a drag included: the model changes only at the
// release) or answer and leave the record as it was; any other message may change an object's
// geometry and counts as a change of the model.
bool IsQueryMessage(int message)
{
    switch (message) {
    case OM_DRAW:
    case OM_HITTEST:
    case OM_DRAWHANDLES:
    case OM_TRACKHANDLE:
    case OM_TRACKMOVE:
    case OM_TRACKCREATE:
    case OM_TRACKPARAM:
    case OM_TRACKROTATE:
    case OM_HANDLETOEND:
    case OM_GETATTRS:
    case OM_GETCAPS:
    case OM_DRAWSHADOW:
    case OM_DRAWSHADOWOFFSET:
    case OM_DRAWSHADOWBASE:
    case OM_GETLINEATTRS:
    case OM_GETHOOKPOINTS:
    case OM_MAPHOOKPOINT:
    case OM_DRAWHOOKMARKS:
    case OM_GETCLASSFLAGS:
    case OM_GETSNAPPOINTS:
    case OM_GETPOINTPOS:
    case OM_CANLINK:
    case OM_PARAMRANGE:
    case OM_TYPEHANDLES:
    case OM_GETSIZE:
    case OM_GETBOUNDS:
    case OM_GETFRAME:
    case OM_GETOUTLINE:
    case OM_GETPATH:
    case OM_GETGEOMETRY:
    case OM_GETPOINTLIST:
    case OM_MEMBERSIDE:
    case OM_POINTTOUNIT:
    case OM_GETEXTENT:
    case OM_GETUPDATERECT:
        return true;
    default:
        return false;
    }
}

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
    if (!IsQueryMessage(message)) NoteModelChange();
    ObjectClassHandler handler = HandlerForClass((*objects)[row].objClass);
    return handler ? handler(dc, drawing, objects, row, message, a, b, p) : 0;
}

LONG SendStandaloneMessage(HDC dc, Drawing* drawing, DrawObject* object, int message, int a, int b,
                           void* p)
{
    if (!IsQueryMessage(message)) NoteModelChange();
    ObjectClassHandler handler = HandlerForClass(object->objClass);
    return handler ? handler(dc, drawing, object, -1, message, a, b, p) : 0;
}

LONG SendTypeQuery(int objClass, int message, int a, int b, void* p)
{
    ObjectClassHandler handler = HandlerForClass(objClass);
    return handler ? handler(nullptr, nullptr, nullptr, -1, message, a, b, p) : 0;
}
