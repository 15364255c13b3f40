// The shape class: its handler in slot 0 of the class handler table, the initialisation of new
// shapes, pictures and free text blocks, kind changes, attribute merging and capabilities.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct PictureSource;

// The exported class handler of shapes and pictures (object class 0).
extern "C" LONG CALLBACK SED_ShapeHandler(HDC dc, Drawing* drawing, void* objects, int row,
                                          int message, int a, int b, void* p);

// OM_INIT: initialises the row that AddObject filled. `dataType` is the picture record type
// (112, 113) of a picture; `block` is the picture data, the custom outline or the source text
// by the requested kind; `source` describes a picture.
int InitShape(Drawing* drawing, ObjectList* objects, int row, int dataType, HGLOBAL block,
              const PictureSource* source);
// The parameter a new shape of `kind` takes: that of the palette tool it is drawn with
// (the drawing's toolSlot), or the kind's default.
double NewShapeParam(const Drawing* drawing, int kind);
// OM_SETSHAPETYPE: a new kind keeping the frame. Pictures and the current kind change nothing.
void ChangeShapeKind(Drawing* drawing, ObjectList* objects, int row, int kind);
// OM_GETATTRS: folds the shape into a summary whose merged fields start at -2 (unset) and
// become -1 (mixed) where two shapes differ.
void MergeShapeAttributes(const DrawObject* shape, DrawObject* summary);
// OM_GETCAPS: the capability bits for menus and tools.
DWORD GetShapeCapabilities(const DrawObject* shape);
// OM_TYPEHANDLES: 3 (corners only) for a circle, else 0.
int GetKindHandleLayout(int kind);
// The block of the shape's OutlinePointBlock record for kind 26, else none; a load error also
// gives none. The block belongs to the store.
HGLOBAL LoadCustomOutline(int slot, const DrawObject* shape);

// Flags the links of a shape whose outline changed for re-fitting to the nearest point, and
// those of the target it hangs on when it holds exactly one hook.
void FlagShapeLinksForRefit(Drawing* drawing, ObjectList* objects, const DrawObject* shape);
