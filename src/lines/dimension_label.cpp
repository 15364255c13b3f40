// The length label of lines and connectors: the length in ruler units, written over the first
// number of the object's text through the in-place editor so the rest keeps its styles.
#include "lines/dimension_label.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "documents/document_life.h"
#include "geometry/real_math.h"
#include "lines/connector_geometry.h"
#include "lines/line_geometry.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/undo.h"
#include "resource.h"
#include "store/results.h"
#include "text/object_text.h"
#include "text/text_editor.h"

namespace {

constexpr int kShowsLength = 0x40;          // classFlags: the object carries its length label
constexpr int kFeetAndInches = 2;

// String 620 + `unit`; missing strings leave it empty.
void LoadSuffix(int unit, char* text)
{
    char buffer[kDimensionTextSize] = {};
    LoadResString(IDS_UNIT_SUFFIX + unit, buffer);
    std::snprintf(text, kDimensionTextSize, "%s", buffer);
}

// Feet, the foot mark, then the inches: whole when within a tenth, else to a tenth.
void FormatFeetAndInches(double v, char* number)
{
    const double feet = std::trunc(v);
    const double r = (v - feet) * 12;
    const int i = static_cast<int>(std::trunc(r + 0.05));   // |r| < 12
    char footMark[kDimensionTextSize] = {};
    LoadSuffix(kFeetAndInches, footMark);
    if (r - i < 0.1)
        std::snprintf(number, kDimensionTextSize, "%.0f%s%d", feet, footMark, i);
    else
        std::snprintf(number, kDimensionTextSize, "%.0f%s%0.1f", feet, footMark, r);
}

// The chord of a straight line, the path length of a connector; negative for other classes.
double ObjectLength(Drawing* drawing, const DrawObject& object)
{
    if (object.objClass == ClassConnector) return ConnectorLength(drawing, &object);
    if (object.objClass != ClassLine) return -1;
    const double dx = object.frame.right - object.frame.left;
    const double dy = object.frame.bottom - object.frame.top;
    switch (LineOrientationOf(&object)) {
    case LineHorizontal:
        return std::fabs(dx);
    case LineVertical:
        return std::fabs(dy);
    default:
        return std::sqrt(dx * dx + dy * dy);
    }
}

bool IsNumberCharacter(char c, bool feet)
{
    return (c >= '0' && c <= '9') || c == '.' || (feet && c == '\'');
}

// The range [start, end) of the first run of number characters, extended over `suffix` when
// the text continues with it; false when the text holds no number character.
bool FindNumber(const char* text, int length, bool feet, const char* suffix, int* start, int* end)
{
    int s = 0;
    while (s < length && !IsNumberCharacter(text[s], feet)) ++s;
    if (s == length) return false;
    int e = s;
    while (e < length && IsNumberCharacter(text[e], feet)) ++e;
    const int suffixLength = static_cast<int>(std::strlen(suffix));
    if (suffixLength > 0 && suffixLength <= length - e && std::memcmp(text + e, suffix, suffixLength) == 0)
        e += suffixLength;
    *start = s;
    *end = e;
    return true;
}

// Marks the editor's text modified and finds the range the new label replaces.
void PrepareReplacement(HWND editor, bool feet, const char* suffix, int* start, int* end)
{
    *start = *end = 0;
    Locked<TenState> ten(GetTenState(editor));
    if (!ten) return;
    ten->options |= TenModified;
    Locked<char> text(ten->text);
    if (!text) return;
    const int length = static_cast<int>(std::min<SIZE_T>(ten->textLength, GlobalSize(ten->text)));
    if (!FindNumber(text.get(), length, feet, suffix, start, end)) *start = *end = 0;
}

}  // namespace

void FormatDimensionText(const RulerSettings* ruler, double length, char* number, char* unit)
{
    number[0] = unit[0] = '\0';
    const double scaleBase = ruler->scaleBase == 0 ? 100.0 : ruler->scaleBase;
    double v = ruler->shownValue * length * 100 / (scaleBase * 600);
    if (ruler->screenUnit == 0) v *= 2.54;
    if (!std::isfinite(v)) v = 0;   // damaged ruler settings: nothing sensible to show
    switch (ruler->unit) {
    case 1:
        std::snprintf(number, kDimensionTextSize, "%0.1f", v);
        LoadSuffix(1, unit);
        break;
    case 2:
        FormatFeetAndInches(v, number);
        LoadSuffix(1, unit);
        break;
    case 3:
    case 4:
        std::snprintf(number, kDimensionTextSize, "%0.1f", v);
        LoadSuffix(ruler->unit, unit);
        break;
    case 5:
        std::snprintf(number, kDimensionTextSize, "%0.2f", v);
        LoadSuffix(5, unit);
        break;
    default:
        std::snprintf(number, kDimensionTextSize, "%0.1f", v);
        break;
    }
}

int UpdateDimensionLabel(Drawing* drawing, ObjectList* objects, int row, int unitMode)
{
    if (!drawing || !objects || row < 0 || row >= objects->count) return 0;
    HWND view = drawing->viewWindow;
    HGLOBAL stateBlock = view ? GetDocumentStateHandle(view) : nullptr;
    if (!stateBlock) return kNoDocumentState;
    const DrawObject& object = (*objects)[row];
    const double length = ObjectLength(drawing, object);
    if (length < 0) return 0;

    char number[kDimensionTextSize], unit[kDimensionTextSize];
    FormatDimensionText(&drawing->rulerSettings, length, number, unit);
    char suffix[kDimensionTextSize] = {};
    if (unitMode < 0)
        std::snprintf(suffix, sizeof(suffix), "%s", unit);
    else if (unitMode >= 1 && unitMode <= 5)
        LoadSuffix(unitMode == kFeetAndInches ? 1 : unitMode, suffix);
    const bool feet = (drawing->rulerSettings.unit == kFeetAndInches && unitMode < 0) ||
                      unitMode == kFeetAndInches;

    const int x = object.innerRect.right, y = object.innerRect.bottom;
    HWND editor = nullptr;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return ErrOutOfMemory;
        if (int err = BeginObjectTextEdit(view, state.get(), row, x, y, 1)) return err;
        editor = state->textEditor;
    }
    if (!editor) return 0;
    SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    int start = 0, end = 0;
    PrepareReplacement(editor, feet, suffix, &start, &end);

    char label[kDimensionTextSize];
    std::snprintf(label, sizeof(label), "%s%s", number, unit);
    SendMessageA(editor, TEN_SETSELECTION, 0, MAKELPARAM(start, end));
    int caret = 0;
    if (int err = TenReplaceSelectionKeepStyle(editor, label, &caret)) return err;
    return EndTextEditing(view, -1);
}

int SetShowLength(Drawing* drawing, ObjectList* objects, int row, const INT32* values)
{
    if (!objects || row < 0 || row >= objects->count || !values)
        return 0;
    DrawObject& line = (*objects)[row];
    if (values[1] != 0) {
        line.classFlags &= ~kShowsLength;
        return 0;
    }
    line.classFlags |= kShowsLength;
    return UpdateDimensionLabel(drawing, objects, row, values[0]);
}
