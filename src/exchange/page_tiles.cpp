// The page grid of a drawing.
#include "exchange/page_tiles.h"

#include "documents/document_state.h"
#include "model/drawing.h"
#include "model/selection.h"

namespace {

// First and last page index along one direction; an edge exactly on a page boundary opens no
// further page.
void PageSpan(LONG low, LONG high, LONG page, int* first, int* count)
{
    const int firstPage = low / page;
    int lastPage = high / page;
    if (high % page == 0 && lastPage != 0) --lastPage;
    *first = firstPage;
    *count = lastPage - firstPage + 1;
}

}  // namespace

BOOL ComputePageTiles(DocumentState* state, int* selection, int* firstRow, int* rows, int* firstColumn, int* columns,
                      RECT* extent)
{
    *extent = RECT{0, 0, 0, 0};
    *firstRow = *rows = *firstColumn = *columns = 0;
    const int asked = *selection;
    Locked<Drawing> drawing(state->drawing);
    Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
    if (!objects) return FALSE;
    if (drawing->selectedCount == 0) *selection = 0;
    GetDrawingExtent(drawing.get(), objects.get(), extent, asked == 1, FALSE);
    const LONG w = state->printableWidth, h = state->printableHeight;
    if (IsRectEmpty(extent) || w <= 0 || h <= 0) return FALSE;
    PageSpan(extent->top, extent->bottom, h, firstRow, rows);
    PageSpan(extent->left, extent->right, w, firstColumn, columns);
    return TRUE;
}
