// A drawing fixture that adds solid rectangles without a border, for tests that look for their
// colours in pictures of the drawing.
#pragma once

#include <windows.h>

#include "model/drawing.h"
#include "shapes/shape_kinds.h"

template <typename Fixture>
class WithFilledBoxes : public Fixture {
protected:
    int AddBox(RECT rect, COLORREF fill)
    {
        const int row = this->AddAt(ClassShape, rect, ShapeRectangle);
        this->Change(row, [&](DrawObject& o, Drawing&) {
            o.fillColor = fill;
            o.fillPattern = 1;
            o.lineWidth = 0;
        });
        return row;
    }
};
