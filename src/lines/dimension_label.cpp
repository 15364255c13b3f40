// The length label of lines and connectors. The label itself comes with the text of objects;
// until then a line only keeps its show-length flag and nothing is rewritten.
#include "lines/dimension_label.h"

int UpdateDimensionLabel(Drawing*, ObjectList*, int, int)
{
    return 0;
}

int SetShowLength(Drawing* drawing, ObjectList* objects, int row, const INT32* values)
{
    if (!objects || row < 0 || !values)
        return 0;
    DrawObject& line = (*objects)[row];
    if (values[1] != 0) {
        line.classFlags &= ~0x40;
        return 0;
    }
    line.classFlags |= 0x40;
    return UpdateDimensionLabel(drawing, objects, row, values[0]);
}
