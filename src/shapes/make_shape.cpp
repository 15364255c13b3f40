// Make Shape and Shape to Line: lines joined into a custom-outline shape and a shape broken back
// into lines, each a single undoable edit.
#include "resource.h"
#include "shapes/make_shape.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "editing/edit_services.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/undo.h"
#include "shapes/custom_outline.h"
#include "shapes/shape_kinds.h"
#include "store/memory_blocks.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr LONG kJoinTolerance = 30;
constexpr int kCodesPerPiece = 5;
constexpr int kPiecePoints = 16;      // room for any class's path (a connector gives at most 6)
constexpr LONG kMinObjectSize = 24;   // AddObject creates nothing smaller both ways
constexpr DWORD kCapShape = 0x400;
constexpr DWORD kCapPicture = 0x100;
constexpr int kHintHelpTopic = 206;

struct Piece {
    int row;
    int count;
    POINT points[kPiecePoints];
    BYTE codes[kCodesPerPiece];
    bool used;
};

int Arg(void* pointer)
{
    return static_cast<int>(reinterpret_cast<INT_PTR>(pointer));
}

bool TooSmallForObject(const RECT& r)
{
    return r.right - r.left < kMinObjectSize && r.bottom - r.top < kMinObjectSize;
}

// The code of path point `i`: a piece keeps codes for its first five points only, so later
// points reuse the last one.
int CodeAt(const Piece& piece, int i)
{
    return piece.codes[std::clamp(i, 0, kCodesPerPiece - 1)];
}

// The chain being filled: vertices with room for `capacity`.
struct Chain {
    std::vector<OutlineVertex> vertices;
    int capacity = 0;

    int Count() const { return static_cast<int>(vertices.size()); }
    POINT At(int i) const { return POINT{vertices[i].x, vertices[i].y}; }
    void Set(int i, POINT p)
    {
        vertices[i].x = p.x;
        vertices[i].y = p.y;
    }
};

// Appends one path point with the descriptor of `code`; a full chain takes no more.
void Append(Chain& chain, Drawing* drawing, ObjectList* objects, int row, int code, POINT point)
{
    if (chain.Count() >= chain.capacity) return;
    OutlineVertex v = {};
    SendClassMessage(nullptr, drawing, objects, row, OM_GETGEOMETRY, code, 0, &v);
    v.x = point.x;
    v.y = point.y;
    chain.vertices.push_back(v);
}

// Aligns the joint of the chain's end with the piece's point `joining` (its neighbour next).
void AlignChainEnd(Chain& chain, POINT joining, POINT neighbour)
{
    const int n = chain.Count();
    POINT last = chain.At(n - 1);
    const POINT before = n >= 2 ? chain.At(n - 2) : last;
    AlignJoint(&last, before, &joining, neighbour);
    chain.Set(n - 1, last);
}

void InvalidatePiece(Drawing* drawing, ObjectList* objects, int row, BOOL test)
{
    if (!test) InvalidateLogicalRect(drawing->viewWindow, &(*objects)[row].updateRect);
}

// Steps 3 to 8 of the join over the locked list: the pieces, the extent and the closed chain.
int BuildChain(Drawing* drawing, ObjectList* objects, BOOL test, Chain& chain, RECT& extent)
{
    std::vector<Piece> pieces;
    HGLOBAL codeBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kCodesPerPiece);
    if (!codeBlock) return ErrOutOfMemory;
    int total = 1;
    extent = RECT{32767, 32767, 0, 0};
    for (int row = 0; row < objects->count && static_cast<int>(pieces.size()) < drawing->selectedCount; ++row) {
        if (!((*objects)[row].state & StateSelected)) continue;
        if (BYTE* codes = static_cast<BYTE*>(GlobalLock(codeBlock))) {
            std::memset(codes, 0, kCodesPerPiece);
            GlobalUnlock(codeBlock);
        }
        Piece piece = {};
        piece.row = row;
        INT32 drawn = 0;
        // The result counts the path's points; the count argument is the drawn path's.
        // The message carries the code block in the device-context place and the extent in the
        // drawing's place, so it goes to the handler directly.
        ObjectClassHandler handler = HandlerForClass((*objects)[row].objClass);
        const int points = handler ? static_cast<int>(handler(reinterpret_cast<HDC>(codeBlock),
                                                              reinterpret_cast<Drawing*>(&extent), objects, row,
                                                              OM_GETPATH, 0, Arg(&drawn), piece.points))
                                   : 0;
        if (points <= 0) {
            GlobalFree(codeBlock);
            return 1;
        }
        piece.count = std::min(points, kPiecePoints);
        if (const BYTE* codes = static_cast<const BYTE*>(GlobalLock(codeBlock))) {
            std::memcpy(piece.codes, codes, kCodesPerPiece);
            GlobalUnlock(codeBlock);
        }
        total += piece.count - 1;
        pieces.push_back(piece);
    }
    GlobalFree(codeBlock);
    // AddObject makes no object of an extent this small: such a chain cannot become a shape.
    if (total < 2 || pieces.empty() || TooSmallForObject(extent)) return 1;

    chain.capacity = total;
    chain.vertices.reserve(total);
    Piece& first = pieces[0];
    for (int i = 0; i < first.count; ++i) Append(chain, drawing, objects, first.row, CodeAt(first, i), first.points[i]);
    InvalidatePiece(drawing, objects, first.row, test);
    first.used = true;

    size_t left = pieces.size() - 1;
    while (left > 0) {
        bool joined = false;
        for (Piece& piece : pieces) {
            if (piece.used) continue;
            const POINT end = chain.At(chain.Count() - 1);
            const int n = piece.count;
            if (n >= 2 && PointsMeet(piece.points[0], end)) {
                AlignChainEnd(chain, piece.points[0], piece.points[1]);
                for (int i = 1; i < n; ++i) Append(chain, drawing, objects, piece.row, CodeAt(piece, i), piece.points[i]);
            } else if (n >= 2 && PointsMeet(piece.points[n - 1], end)) {
                AlignChainEnd(chain, piece.points[n - 1], piece.points[n - 2]);
                // Walked backwards, a point takes the code of the segment that follows it.
                for (int i = n - 2; i >= 0; --i) Append(chain, drawing, objects, piece.row, CodeAt(piece, i + 1), piece.points[i]);
            } else {
                continue;
            }
            piece.used = true;
            InvalidatePiece(drawing, objects, piece.row, test);
            joined = true;
            --left;
            break;
        }
        if (!joined) return -1;
    }

    const int n = chain.Count();
    if (n < 2 || !PointsMeet(chain.At(n - 1), chain.At(0))) return -1;
    POINT last = chain.At(n - 1), firstPoint = chain.At(0);
    AlignJoint(&last, chain.At(n - 2), &firstPoint, chain.At(1));
    chain.Set(n - 1, last);
    chain.Set(0, firstPoint);
    return 0;
}

// The chain as record 119, its vertices relative to the extent's top-left.
int StoreChain(Drawing* drawing, const Chain& chain, const RECT& extent, HGLOBAL* block)
{
    const int slot = drawing->header.slot;
    int id = 0;
    if (int err = NextFreeRecordId(slot, kOutlineRecordType, &id)) return err;
    const DWORD size = sizeof(OutlinePointBlock) + chain.capacity * sizeof(OutlineVertex);
    if (int err = AddRecord(slot, kOutlineRecordType, id, size, block)) return err;
    {
        BlockLock lock(*block);
        auto* head = reinterpret_cast<OutlinePointBlock*>(lock.get());
        if (!head) return ErrOutOfMemory;
        auto* vertices = reinterpret_cast<OutlineVertex*>(head + 1);
        head->count = chain.Count();
        head->designWidth = extent.right - extent.left;
        head->designHeight = extent.bottom - extent.top;
        for (int i = 0; i < chain.Count(); ++i) {
            vertices[i] = chain.vertices[i];
            vertices[i].x -= extent.left;
            vertices[i].y -= extent.top;
        }
    }
    return MarkBlockDirty(*block);
}

int ObjectCount(Drawing* drawing)
{
    Locked<ObjectList> objects(drawing->objectList);
    return objects ? objects->count : 0;
}

// The command's edit: the checkpoint, the conversion, and its end. A refusal found only now
// (1 or -1) leaves nothing behind and shows nothing.
template <typename Run>
int RunEdit(HWND view, int label, Run run)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    if (int err = SaveUndoState(view, label)) return err;
    int err;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return ErrOutOfMemory;
        Locked<Drawing> drawing(state->drawing);
        if (!drawing) return ErrOutOfMemory;
        err = run(state.get(), drawing.get());
        if (err == 0) err = PropagateLinks(drawing.get());
    }
    if (err == 1 || err == -1) {
        RollBackEdit(view);
        Locked<DocumentState> state(stateBlock);
        if (state) state->undoLabel = UndoNone;
        return err;
    }
    return FinishEdit(view, err, FALSE);
}

}  // namespace

BOOL PointsMeet(POINT a, POINT b)
{
    return std::labs(a.x - b.x) < kJoinTolerance && std::labs(a.y - b.y) < kJoinTolerance;
}

void AlignJoint(POINT* last, POINT beforeLast, POINT* joining, POINT neighbour)
{
    const bool chainVertical = beforeLast.x == last->x;
    const bool chainHorizontal = !chainVertical && beforeLast.y == last->y;
    const bool pieceVertical = joining->x == neighbour.x;
    const bool pieceHorizontal = !pieceVertical && joining->y == neighbour.y;
    if (last->x != joining->x) {
        if (pieceVertical)
            last->x = joining->x;
        else if (chainVertical)
            joining->x = last->x;
    }
    if (last->y != joining->y) {
        if (pieceHorizontal)
            last->y = joining->y;
        else if (chainHorizontal)
            joining->y = last->y;
    }
}

int JoinLinesIntoShape(Drawing* drawing, BOOL test)
{
    if (!drawing || drawing->selectedCount < 2) return 1;
    Chain chain;
    RECT extent;
    int result;
    try {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        result = BuildChain(drawing, objects.get(), test, chain, extent);
    } catch (const std::bad_alloc&) {
        return ErrOutOfMemory;
    }
    if (result || test) return result;

    // Everything is checked before the drawing changes: the extent makes an object.
    HGLOBAL block = nullptr;
    if (int err = StoreChain(drawing, chain, extent, &block)) return err;
    if (int err = DeleteObjects(drawing, TRUE, -1)) return err;
    const int before = ObjectCount(drawing);
    const int err = AddObject(drawing->viewWindow, ClassShape, &extent, ShapeCustom, 0, Arg(block), TRUE, TRUE,
                              nullptr, TRUE);
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    if (objects->count > before) {
        const int row = objects->count - 1;
        (*objects)[row].state |= StateSelected;
        drawing->currentRow = row;
        drawing->selectedCount = 1;
    }
    return err;
}

int ConfirmMakeShape(Drawing* drawing)
{
    if (JoinLinesIntoShape(drawing, TRUE) != 0) {
        RunInfoDialog("INFO_MAKESHAPE", kHintHelpTopic);
        return 0;
    }
    return RunInfoDialog("INFO_MAKESHAPEOK", kHintHelpTopic) == 1 ? 1 : 0;
}

int ConvertShapeToLines(DocumentState* state, Drawing* drawing, BOOL test)
{
    if (!drawing) return 1;
    int row = -1;
    RECT origin = {};
    HGLOBAL block = nullptr;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        for (int i = 0; i < objects->count && row < 0; ++i)
            if ((*objects)[i].state & StateSelected) row = i;
        if (row < 0) return 1;
        const DWORD caps = static_cast<DWORD>(SendClassMessage(nullptr, drawing, objects.get(), row, OM_GETCAPS));
        if (!(caps & kCapShape)) return 1;
        if (caps & kCapPicture) {
            if (test) RunInfoDialog("INFO_SHAPETOLINE_WRONG", kHintHelpTopic);
            return -1;
        }
        // The outline is fetched for the check as well: a shape none of whose pieces can become
        // an object would vanish without a replacement.
        block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(OutlinePointBlock));
        if (!block) return 0;
        if (int err = static_cast<int>(SendClassMessage(nullptr, drawing, objects.get(), row, OM_TOOUTLINE, 0,
                                                        Arg(&block), &origin))) {
            GlobalFree(block);
            return err;
        }
    }
    std::vector<OutlineVertex> vertices;
    {
        BlockLock lock(block);
        const auto* head = reinterpret_cast<const OutlinePointBlock*>(lock.get());
        const int n = head ? UsableOutlineVertices(head, GlobalSize(block)) : 0;
        const auto* v = head ? reinterpret_cast<const OutlineVertex*>(head + 1) : nullptr;
        if (n > 0) vertices.assign(v, v + n);
    }
    const int n = static_cast<int>(vertices.size());
    auto pieceRect = [&](int k) {
        RECT r = {std::min(vertices[k - 1].x, vertices[k].x), std::min(vertices[k - 1].y, vertices[k].y),
                  std::max(vertices[k - 1].x, vertices[k].x), std::max(vertices[k - 1].y, vertices[k].y)};
        return r;
    };
    auto makesObject = [&](int k) {
        const int cls = vertices[k].pieceClass;
        return (cls == ClassLine || cls == ClassConnector) && !TooSmallForObject(pieceRect(k));
    };
    bool any = false;
    for (int k = 1; k < n && !any; ++k) any = makesObject(k);
    if (!any || test) {
        GlobalFree(block);
        return any ? 0 : 1;
    }

    HWND view = drawing->viewWindow;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) {
            GlobalFree(block);
            return ErrOutOfMemory;
        }
        InvalidateLogicalRect(view, &(*objects)[row].updateRect);
    }
    int err = DeleteObjects(drawing, TRUE, -1);
    std::vector<int> added;
    HGLOBAL drawingHandle = state ? state->drawing : nullptr;
    for (int k = 1; k < n && !err; ++k) {
        // A piece of a class that is no line, or too small for an object, gives nothing.
        if (!makesObject(k)) continue;
        RECT r = pieceRect(k);
        const int corner = HandleCodeAtPoint(&r, vertices[k - 1].x, vertices[k - 1].y);
        OffsetRect(&r, origin.left, origin.top);
        const int before = ObjectCount(drawing);
        err = AddObject(view, vertices[k].pieceClass, &r, vertices[k].orientation, corner, 0, TRUE, TRUE, nullptr,
                        TRUE);
        const int after = ObjectCount(drawing);
        if (after <= before) continue;   // no row: no geometry, no click on someone else's row
        const int newRow = after - 1;
        added.push_back(newRow);
        if (err) break;
        {
            Locked<ObjectList> objects(drawing->objectList);
            BlockLock lock(block);
            if (!objects || !lock) {
                err = ErrOutOfMemory;
                break;
            }
            err = static_cast<int>(SendClassMessage(nullptr, drawing, objects.get(), newRow, OM_SETGEOMETRY, k, 0,
                                                    lock.get()));
        }
        if (err) break;
        if (drawingHandle) SelectObjectByClick(drawingHandle, newRow, added.size() > 1, 0, 0);
    }
    GlobalFree(block);

    // The selection is exactly the new objects, the first of them current.
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return err ? err : ErrOutOfMemory;
    for (int i = 0; i < objects->count; ++i) (*objects)[i].state &= ~static_cast<DWORD>(StateSelected);
    for (int r : added) (*objects)[r].state |= StateSelected;
    drawing->selectedCount = static_cast<INT32>(added.size());
    drawing->currentRow = added.empty() ? -1 : added.front();
    return err;
}

int ConfirmShapeToLine(DocumentState* state, Drawing* drawing)
{
    if (!drawing || drawing->selectedCount != 1) {
        RunInfoDialog("INFO_SHAPETOLINE_MANY", kHintHelpTopic);
        return 0;
    }
    const int result = ConvertShapeToLines(state, drawing, TRUE);
    if (result > 0) {
        RunInfoDialog("INFO_SHAPETOLINE_WRONG", kHintHelpTopic);
        return 0;
    }
    if (result < 0) return 0;
    return RunInfoDialog("INFO_SHAPETOLINE_OK", kHintHelpTopic) == 1 ? 1 : 0;
}

int JoinLinesCommand(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return ErrOutOfMemory;
        Locked<Drawing> drawing(state->drawing);
        if (!drawing || !ConfirmMakeShape(drawing.get())) return 0;
    }
    return RunEdit(view, UndoJoinLines, [](DocumentState*, Drawing* drawing) { return JoinLinesIntoShape(drawing, FALSE); });
}

int EditShapeOutlineCommand(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return ErrOutOfMemory;
        Locked<Drawing> drawing(state->drawing);
        if (!drawing || !ConfirmShapeToLine(state.get(), drawing.get())) return 0;
    }
    return RunEdit(view, UndoEditShape,
                   [](DocumentState* state, Drawing* drawing) { return ConvertShapeToLines(state, drawing, FALSE); });
}
