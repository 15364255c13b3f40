// Mirroring shapes (by kind or by mirror bits), option bits of every class, and the picture
// options of a shape.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// The mirror bits (0x8 horizontal, 0x10 vertical) a shape of its kind may carry; 0 for kinds
// whose mirror image is another kind, or that look the same mirrored.
DWORD GetMirrorAxes(const DrawObject* shape);

// OM_FLIP: `request` 0x8 mirrors horizontally, 0x10 vertically (both may be set). A bitmap
// picture sets RotationRefused and changes nothing. Result 0 or the error of re-applying the
// frame.
int FlipShape(Drawing* drawing, ObjectList* objects, int row, int request);

// OM_SETOPTIONS, answered alike by every class: sets (`set` 1) or clears (0) the `mask` bits of
// `options`, then sends OM_REFRESHEFFECTS to the object's class and returns its result. Row -1
// addresses the standalone record `objects`.
int SetObjectOptionFlags(Drawing* drawing, void* objects, int row, DWORD mask, BOOL set);

// OM_SETFRAMEON: `framed` is the new value of option 0x1 (0 or 1, -1 leaves it); `layout` the
// record whose second i32 is the new handleLayout. Taking or dropping option 0x1 gives the
// picture a visible frame or takes it away. Result 0.
int SetPictureOptions(Drawing* drawing, void* objects, int row, int framed, const INT32* layout);
