// The codes that name an object's handles: the eight frame handles and the rotation handles.
#pragma once

enum HandleCode {
    HandleNone = 0,
    HandleLeftTop = 1,
    HandleRightTop = 2,
    HandleLeftBottom = 3,
    HandleRightBottom = 4,
    HandleTopMiddle = 5,
    HandleBottomMiddle = 6,
    HandleLeftMiddle = 7,
    HandleRightMiddle = 8,
    HandleRotateRight = 140,    // on the right side of the frame
    HandleRotateBottom = 141,   // on its bottom side
};
