// Redraw in drawing units, gathered per edit.
#pragma once

#include <windows.h>


// Invalidates a rect in logical units (none: the whole client area), without erasing; a rect
// empty in width or height still covers one device pixel either side. While an
// InvalidationBatch is open the rect is only gathered and reaches the window at the batch's end.
void InvalidateLogicalRect(HWND window, const RECT* rect);

// Every invalidation is a round trip to the window system, and an edit that moves many objects
// makes two per object. An edit therefore opens a batch for its whole run: the rects gathered
// meanwhile are invalidated when the outermost batch closes, per view as their union, or as a
// few rects when the union would repaint far more. Batches nest; the area left invalid covers
// at least what the single calls would have covered.
class InvalidationBatch {
public:
    InvalidationBatch();
    ~InvalidationBatch();
    InvalidationBatch(const InvalidationBatch&) = delete;
    InvalidationBatch& operator=(const InvalidationBatch&) = delete;
};

// Hands every gathered rect to its window now; called before anything that may paint (a message
// box, a dialog, UpdateWindow) while a batch is open. Gathering goes on afterwards.
void FlushInvalidations();
