// The object class protocol: the numbered messages every class-specific action goes through,
// and the class handler table that routes them by an object's class.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// The messages. a, b and p are the sixth, seventh and eighth arguments of the call.
enum ObjectClassProtocol {
    OM_DRAW = 1,
    OM_HITTEST = 2,
    OM_DRAWHANDLES = 3,
    OM_TRACKHANDLE = 4,
    OM_TRACKMOVE = 5,
    OM_DRAGHANDLE = 6,
    OM_SETBORDERWIDTH = 7,
    OM_SETBORDERSTYLE = 8,
    OM_SETFILLPATTERN = 9,
    OM_SETFRAME = 10,
    OM_INIT = 11,
    OM_DELETE = 12,
    OM_TEXTFORMAT = 13,
    OM_TEXTSIZE = 14,
    OM_TEXTSTYLESET = 15,
    OM_TEXTSTYLECLEAR = 16,
    OM_SETBORDERCOLOR = 17,
    OM_TEXTCOLOR = 18,
    OM_TEXTALIGN = 19,
    OM_TEXTFLAG = 20,
    OM_SETFILLCOLOR = 21,
    OM_TEXTLARGER = 22,
    OM_TEXTSMALLER = 23,
    OM_SETARROWENDS = 24,
    OM_SETANGLE = 25,
    OM_OFFSET = 26,
    OM_TRACKCREATE = 27,
    OM_GETATTRS = 28,
    OM_GETCAPS = 29,
    OM_DRAWSHADOW = 31,
    OM_DRAWSHADOWOFFSET = 32,
    OM_DRAWSHADOWBASE = 33,
    OM_REFRESHEFFECTS = 34,
    OM_SETLINECOLOR = 35,
    OM_SETLINEWIDTH = 36,
    OM_SETLINESTYLE = 37,
    OM_GETLINEATTRS = 38,
    OM_SETTEXTFIT = 40,
    OM_GETHOOKPOINTS = 41,
    OM_MAPHOOKPOINT = 42,
    OM_DRAWHOOKMARKS = 43,
    OM_GETCLASSFLAGS = 44,
    OM_GETSNAPPOINTS = 45,
    OM_HANDLETOEND = 46,
    OM_GETPOINTPOS = 47,
    OM_MOVEHANDLERECT = 48,
    OM_TRACKPARAM = 49,
    OM_SETSHAPETYPE = 50,
    OM_CANLINK = 51,
    OM_PARAMRANGE = 52,
    OM_TYPEHANDLES = 53,
    OM_HOOKCHANGED = 54,
    OM_GETSIZE = 55,
    OM_GETBOUNDS = 56,
    OM_SETPARAM = 57,
    OM_FLIP = 58,
    OM_SETOPTIONS = 59,
    OM_SETFRAMEON = 60,
    OM_SETLINETYPE = 61,
    OM_ENDSIDE = 62,
    OM_SETARROWHEADS = 63,
    OM_RECALC = 64,
    OM_GETFRAME = 65,
    OM_TRACKROTATE = 66,
    OM_ROTATETO = 67,
    OM_EXTRAHANDLE = 68,
    OM_GETOUTLINE = 69,
    OM_SPINERECT = 70,
    OM_GROUPHANDLEDRAG = 71,
    OM_LABELANCHOR = 72,
    OM_GETPATH = 73,
    OM_GETGEOMETRY = 74,
    OM_GETPOINTLIST = 75,
    OM_TOOUTLINE = 76,
    OM_SETGEOMETRY = 77,
    OM_NOP = 78,
    OM_MEMBER = 79,
    OM_MEMBERSIDE = 80,
    OM_SPACING = 81,
    OM_SHOWLENGTH = 82,
    OM_SETARRAYSTYLE = 83,
    OM_POINTTOUNIT = 84,
    OM_TEXTINDENT = 85,
    OM_GETEXTENT = 86,
    OM_GETUPDATERECT = 87,
};

// The argument a of OM_FLIP.
enum FlipDirection : int {
    FlipHorizontal = 0x8,
    FlipVertical = 0x10,
};

// Capability bits: the answers of OM_GETCAPS, which GetSelectionMenuFlags ORs over the selection
// with bits of its own; each edit operation tests them to see whether it applies.
enum SelectionCapabilities : DWORD {
    CapAnySelected = 0x1,
    CapText = 0x4,         // an object with text, or able to take text
    CapLocked = 0x8,       // a selected object is locked
    CapPicture = 0x100,
    CapLine = 0x200,
    CapShape = 0x400,
    CapFlippable = 0x800,  // anything but a bitmap picture
    CapSeveralUnits = 0x1000,   // more than one group or ungrouped object
    CapGroup = 0x2000,          // a group is selected
};

// One class handler. `objects` is the locked ObjectList, or, with row -1, one standalone
// DrawObject outside any list. The result is 0 for done or not handled, an error for a failed
// action, or the answer of a query.
typedef LONG(CALLBACK* ObjectClassHandler)(HDC dc, Drawing* drawing, void* objects, int row,
                                            int message, int a, int b, void* p);

// The in-place text editor's background callback (slot 4), three arguments of its own.
typedef LONG(CALLBACK* TextBackgroundProc)(HWND editor, HDC dc, void* tenState);

// Process-wide, filled by InstallClassHandlers from the registered handlers: slots 0-3 by object class, slot 4 the editor's
// background callback.
struct ClassHandlerTable {
    ObjectClassHandler classes[ClassCount];
    TextBackgroundProc textBackground;
};
extern ClassHandlerTable g_classHandlers;

// Shadow record of OM_DRAWSHADOW and OM_DRAWSHADOWOFFSET (argument b points to it).
struct ShadowPaint {
    INT32 dx;
    INT32 dy;
    COLORREF color;
};

// Set by a class that refuses a rotation or a flip; the commands clear it before they send.
extern BOOL RotationRefused;

// Start-up code above the classes registers each class's handler (slots 0-3 by object class)
// and the text editor's background callback (slot 4) before it installs them.
void RegisterClassHandler(int objClass, ObjectClassHandler handler);
void RegisterTextBackgroundProc(TextBackgroundProc proc);
// Fills the five slots from what was registered, once at start-up: 0, or 10004
// (ErrOutOfMemory) when a slot stays empty.
int InstallClassHandlers();
// Clears the five slots at shut-down.
void RemoveClassHandlers();

// The handler of an object class; none for a class outside 0-3 (damaged data), whose messages
// then answer 0.
ObjectClassHandler HandlerForClass(int objClass);

// Sends a message to the object at `row` of the locked list, by its class.
LONG SendClassMessage(HDC dc, Drawing* drawing, ObjectList* objects, int row, int message,
                      int a = 0, int b = 0, void* p = nullptr);
// Sends a message to a standalone record (row -1).
LONG SendStandaloneMessage(HDC dc, Drawing* drawing, DrawObject* object, int message, int a = 0,
                           int b = 0, void* p = nullptr);
// A type-level query (44, 52, 53): no drawing, objects or row; the type in a.
LONG SendTypeQuery(int objClass, int message, int a, int b = 0, void* p = nullptr);

// A pointer carried in an integer argument of the protocol (32-bit addresses).
template <typename T>
T* PointerArg(int value)
{
    return reinterpret_cast<T*>(static_cast<INT_PTR>(value));
}

// The store slot of a class's data records: the drawing's, else that of the locked object list
// (for a message whose drawing argument carries something else); -1 for a record outside any list.
inline int ClassStoreSlot(const Drawing* drawing, void* objects, int row)
{
    if (drawing) return drawing->header.slot;
    if (objects && row >= 0) return static_cast<ObjectList*>(objects)->header.slot;
    return -1;
}

// The object a handler addresses: the row of the list, or the standalone record for row -1.
inline DrawObject* AddressedObject(void* objects, int row)
{
    if (row < 0) return static_cast<DrawObject*>(objects);
    return &(*static_cast<ObjectList*>(objects))[row];
}
