// A line array's style commands (the "Vexlines" submenu, message 83) and its flip (message 58).
#include "lines/array_styles.h"

#include "lines/array_layout.h"
#include "lines/array_record.h"
#include "lines/line_geometry.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/invalidate.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr int kFirstStyleCommand = 1600;   // the command id less this is the menu's number k
constexpr DWORD kChainStyleWord = ArrayChain;   // exactly the chain, nothing else
constexpr int kChainBranchLength = 150;

struct StyleChoice {
    int orientation;
    int angle;
    DWORD style;
};

// Command k (id - 1600) in groups of ten: the group fixes trunk and angle, k's remainder the
// style word. False for a group outside 1-8.
bool StyleOfCommand(INT32 value, StyleChoice* choice)
{
    // Wide enough for any value handed in.
    const long long k = static_cast<long long>(value) + 1;
    const long long group = k / 10;
    if (group < 1 || group > 8)
        return false;
    long long style = (k - 10) % 20;
    if (group > 4 && style > 10)
        style -= 10;
    static constexpr int kOrientation[9] = {0, LineHorizontal, LineHorizontal, LineVertical, LineVertical,
                                            LineHorizontal, LineHorizontal, LineVertical, LineVertical};
    static constexpr int kAngle[9] = {0, 0, 0, 0, 0, 45, 135, 45, 135};
    choice->orientation = kOrientation[group];
    choice->angle = kAngle[group];
    choice->style = static_cast<DWORD>(style);
    return true;
}

bool StartFeed(DWORD style)
{
    return (style & ArrayBothSides) || !(style & ArrayCentreFeed);
}

// Every member entry's hook gets the side code of its position under the current style.
void RefreshMembers(Drawing* drawing, ObjectList* objects, int row, ArrayData* data)
{
    for (int i = data->entryCount - data->memberCount; i < data->entryCount; ++i)
        RefreshMemberEntry(drawing, objects, row, data, i, 0, -1);
}

// The array's own hook code for its trunk and feed: the end codes of a horizontal trunk (20, 21)
// and a vertical one (22, 23) exchange with the start feed; a centre feed hangs by the end on the
// side away from the members.
int HookCodeForStyle(int code, bool vertical, DWORD style)
{
    const int otherSide = (style & ArrayOtherSide) ? 1 : 0;
    if (!StartFeed(style))
        return (vertical ? 20 : 22) + otherSide;
    if (vertical && (code == 20 || code == 21))
        return code + 2;
    if (!vertical && (code == 22 || code == 23))
        return code - 2;
    return code;
}

POINT LayoutOrigin(const DrawObject* array)
{
    if (array->objType == LineVertical)
        return POINT{array->axisCoord, array->innerRect.top};
    return POINT{array->innerRect.left, array->axisCoord};
}

HWND ViewOf(const Drawing* drawing)
{
    return drawing ? drawing->viewWindow : nullptr;
}

// The record loaded and locked for a change, released with the guard.
class LoadedArray {
public:
    LoadedArray(Drawing* drawing, ObjectList* objects, int row)
    {
        error_ = LoadArrayData(ClassStoreSlot(drawing, objects, row), AddressedObject(objects, row), &block_);
        if (!error_) {
            data_ = static_cast<ArrayData*>(GlobalLock(block_));
            if (!data_) error_ = ErrOutOfMemory;
        }
    }
    ~LoadedArray() { Release(); }
    LoadedArray(const LoadedArray&) = delete;
    LoadedArray& operator=(const LoadedArray&) = delete;

    // Unlocked and handed back before the layout loads the record itself.
    void Release()
    {
        if (data_) GlobalUnlock(block_);
        if (block_) ReleaseBlock(block_);
        data_ = nullptr;
        block_ = nullptr;
    }
    int error() const { return error_; }
    HGLOBAL block() const { return block_; }
    ArrayData* operator->() const { return data_; }
    ArrayData* get() const { return data_; }

private:
    HGLOBAL block_ = nullptr;
    ArrayData* data_ = nullptr;
    int error_ = 0;
};

}  // namespace

void SetArrayStyle(Drawing* drawing, ObjectList* objects, int row, const INT32* values)
{
    if (!objects || !values)
        return;
    DrawObject* array = AddressedObject(objects, row);
    StyleChoice choice;
    if (array->groupRow >= 0 || !StyleOfCommand(values[1], &choice))
        return;
    LoadedArray data(drawing, objects, row);
    if (data.error() || BeginRecordChange(data.block()))
        return;

    // The trunk coordinate and the inner rect's edge across it trade places when the trunk turns.
    const bool wasVertical = array->objType == LineVertical;
    const bool vertical = choice.orientation == LineVertical;
    if (vertical != wasVertical) {
        if (wasVertical) {
            array->innerRect.left = array->axisCoord;
            array->axisCoord = array->innerRect.top;
        } else {
            array->innerRect.top = array->axisCoord;
            array->axisCoord = array->innerRect.left;
        }
    }
    array->objType = choice.orientation;

    const DWORD oldStyle = data->style;
    data->style = choice.style;
    if (choice.style == kChainStyleWord) {
        data->branchLength = kChainBranchLength;
    } else if ((oldStyle & ArrayChain) && data->memberCount == 1) {
        // A lone member leaves the chain for a single branch. Its entry follows the leading ones
        // (index 3 once laid out, index 0 before).
        const int member = data->entryCount - data->memberCount;
        if (member != 0)
            (*data.get())[0] = (*data.get())[member];
        (*data.get())[0].extent = data->branchLength;
        RefreshMemberEntry(drawing, objects, row, data.get(), 0, 0, 0);
        data->entryCount = 1;
    }
    data->branchAngle = choice.angle;
    RefreshMembers(drawing, objects, row, data.get());
    const DWORD style = data->style;
    data.Release();

    // The layout keeps the array's origin where it was.
    InvalidateLogicalRect(ViewOf(drawing), &array->updateRect);
    const POINT origin = LayoutOrigin(array);
    LayoutArray(drawing, objects, row);
    array = AddressedObject(objects, row);
    const POINT now = LayoutOrigin(array);
    const int dx = origin.x - now.x, dy = origin.y - now.y;
    OffsetRect(&array->updateRect, dx, dy);
    OffsetRect(&array->frame, dx, dy);
    OffsetRect(&array->innerRect, dx, dy);
    OffsetRect(&array->textRect, dx, dy);
    array->axisCoord += vertical ? dx : dy;

    if (array->hookCount > 0)
        array->hooks[0].holderCode = HookCodeForStyle(array->hooks[0].holderCode, vertical, style);
    InvalidateLogicalRect(ViewOf(drawing), &array->updateRect);
}

int FlipArray(Drawing* drawing, ObjectList* objects, int row, int flags)
{
    if (!objects)
        return 0;
    LoadedArray data(drawing, objects, row);
    if (data.error())
        return data.error();
    if (data->style & ArrayChain)
        return 0;
    DrawObject* array = AddressedObject(objects, row);
    const bool vertical = array->objType == LineVertical;
    const bool across = (flags & (vertical ? FlipHorizontal : FlipVertical)) != 0;
    const bool along = (flags & (vertical ? FlipVertical : FlipHorizontal)) != 0 && data->branchAngle != 0;
    if (!across && !along)
        return 0;
    if (int err = BeginRecordChange(data.block()))
        return err;

    if (across) {
        data->style ^= ArrayOtherSide;
        if (array->hookCount > 0 && !StartFeed(data->style)) {
            // The feed stub turns to the other side with the members.
            const int first = vertical ? 20 : 22;
            int& code = array->hooks[0].holderCode;
            code = code == first ? first + 1 : first;
        }
    }
    if (along) {
        // The branches lean the other way: 45 and 135 exchange.
        const int d = data->branchAngle;
        data->branchAngle = d <= 90 ? d + 90 : 180 - d;
    }
    RefreshMembers(drawing, objects, row, data.get());
    data.Release();

    InvalidateLogicalRect(ViewOf(drawing), &array->updateRect);
    const int result = LayoutArray(drawing, objects, row);
    InvalidateLogicalRect(ViewOf(drawing), &AddressedObject(objects, row)->updateRect);
    return result;
}
