// The Text menu's commands: routed to the open text editor or to the selected objects' text.
#include "resource.h"
#include "text/text_commands.h"

#include <initializer_list>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "editing/arrange.h"
#include "editing/edit_operation.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/selection.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "text/font_dialogs.h"
#include "text/font_list.h"
#include "text/ten_messages.h"
#include "text/text_clipboard.h"
#include "text/text_edit.h"
#include "text/text_format.h"
#include "text/text_formatting.h"
#include "text/text_paint.h"

namespace {

constexpr int kTextEditorKind = 1;
constexpr int kFirstSymbolCode = 65;
constexpr int kRequestCommand = 6;   // the second field of a typeface request

struct Place {
    HWND view;
    HWND editor;
};

Place ActivePlace()
{
    HWND document = GetActiveDocument(nullptr);
    HWND view = document ? GetDocumentView(document) : nullptr;
    return {view, FindTextEditor(view)};
}

bool HasDrawing(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return false;
    Locked<DocumentState> state(stateBlock);
    return state && state->drawing;
}

bool IsObjectTextEditor(HWND editor)
{
    return editor && SendMessageA(editor, TEN_GETEDITORKIND, 0, 0) == kTextEditorKind;
}

// The editor's own rectangle in its parent: where the object behind the text is painted.
void FrameToEditor(HWND editor)
{
    RECT frame = {};
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return;
        frame = {state->originX, state->originY, state->originX + state->width, state->originY + state->height};
    }
    SendMessageA(editor, TEN_FRAMERECT, 1, reinterpret_cast<LPARAM>(&frame));
}

ParagraphFormat CurrentParagraphFormat(HWND editor)
{
    ParagraphFormat format = {};
    SendMessageA(editor, TEN_GETPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format;
}

int AlignmentValue(int code)
{
    static const int kValues[] = {kTextAlignLeft, kTextAlignRight, kTextAlignCentre, kTextAlignJustify};
    return code >= 20 && code <= 23 ? kValues[code - 20] : -1;
}

int VerticalValue(int code)
{
    static const int kValues[] = {0, 8, 6};   // top, bottom, middle
    return code >= 20 && code <= 22 ? kValues[code - 20] : -1;
}

const COLORREF* StandardColors()
{
    if (g_standardColors) return g_standardColors;
    return g_settings ? g_settings->standardColors : nullptr;
}

int FirstRunAscent(HWND editor)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state || state->runCount <= 0) return 0;
    Locked<TextRun> runs(state->runs);
    return runs ? runs.get()[0].ascent : 0;
}

}  // namespace

HWND FindTextEditor(HWND view)
{
    HWND child = view ? GetWindow(view, GW_CHILD) : nullptr;
    char name[16];
    if (child && GetClassNameA(child, name, sizeof(name)) && lstrcmpiA(name, "TENClass") == 0) return child;
    return nullptr;
}

void CmdEditOrTextStyle(int operation)
{
    const Place place = ActivePlace();
    if (!place.view) {
        MessageBeep(static_cast<UINT>(-1));
        return;
    }
    HWND editor = place.editor;
    if (editor && GetFocus() == editor) {
        static const int kToggles[] = {1, 2, 4, 16, 32};   // bold, italic, underline, super-, subscript
        switch (operation) {
        case 1:
            if (SendMessageA(editor, TEN_GETUNDOKIND, 0, 0) != 0) {
                SendMessageA(editor, EM_UNDO, 0, 0);
                return;
            }
            break;   // nothing to undo in the text: the drawing's Undo
        case 2: TenCut(place.view, editor, TRUE); return;
        case 3: TenCopy(place.view, editor); return;
        case 4: TenPaste(place.view, editor); return;
        case 5: TenCut(place.view, editor, FALSE); return;
        case 6: case 7: case 8: case 9: case 10:
            TenToggleStyle(editor, kToggles[operation - 6]);
            return;
        case 12: SendMessageA(editor, TEN_SETSELECTION, TenEditRepaint, TenSelectAll); return;
        case 13: SendMessageA(editor, TEN_SETCHARFORMAT, FormatLarger | TenEditUndo | TenEditLayout | TenEditRepaint, 0); return;
        case 14: SendMessageA(editor, TEN_SETCHARFORMAT, FormatSmaller | TenEditUndo | TenEditLayout | TenEditRepaint, 0); return;
        default: break;
        }
    }
    switch (operation) {
    case 1: UndoLastChange(place.view, TRUE); break;
    case 2: case 3: case 4: case 5: case 30: case 47: case 53:
        DoEditOperation(place.view, operation, 0, nullptr);
        break;
    case 12: SelectAllObjects(); break;
    default: ApplyTextStyleToSelection(place.view, operation); break;
    }
}

void ApplyTextStyleToSelection(HWND view, int code)
{
    if (!HasDrawing(view)) return;
    DrawObject summary = {};
    TextSummary text = {};
    CollectSelectionAttributes(view, OM_GETATTRS, &summary, &text);
    TextFormatRequest request = {};
    switch (code) {
    case 6: case 7: case 8: {
        const int bit = code == 6 ? 1 : code == 7 ? 2 : 4;
        if (text.style & bit) {
            request.clearBits = bit;
            ApplyToSelection(view, OM_TEXTSTYLECLEAR, 0, &request, FALSE);
        } else {
            request.setBits = bit;
            ApplyToSelection(view, OM_TEXTSTYLESET, 0, &request, FALSE);
        }
        UpdateTextStyleControls(view);
        break;
    }
    case 9: case 10: UpdateTextStyleControls(view); break;   // objects have no super- or subscript
    case 13: ApplyToSelection(view, OM_TEXTLARGER, 0, &request, FALSE); break;
    case 14: ApplyToSelection(view, OM_TEXTSMALLER, 0, &request, FALSE); break;
    default: break;
    }
}

void CmdTextTypeface()
{
    const Place place = ActivePlace();
    if (IsObjectTextEditor(place.editor)) {
        SendMessageA(place.editor, TEN_FONTDIALOG, 0, 0);
        return;
    }
    if (!place.view || !HasDrawing(place.view)) return;
    DrawObject summary = {};
    TextSummary text = {};
    CollectSelectionAttributes(place.view, OM_GETATTRS, &summary, &text);
    int face = text.face, size = text.size, style = text.style;
    HGLOBAL list = nullptr, map = nullptr;
    HDC printer = nullptr;
    {
        Locked<DocumentState> state(GetDocumentStateHandle(place.view));
        if (!state) return;
        list = state->fontList;
        map = state->fontMap;
        printer = state->printerIC;
    }
    if (ChooseTypefaceDialog(place.view, list, map, printer, &face, &size, &style) == 0) return;
    TextFormatRequest request = {};
    request.command = kRequestCommand;
    if (face >= 0) {
        request.face = face;
        request.mask |= 4;
    }
    if (size >= 0) {
        request.size = size;
        request.mask |= 8;
    }
    if (style != kMixedStyle) {
        for (int bit : {1, 2}) {
            if (style & bit) {
                request.setBits |= bit;
                request.mask |= 0x10;
            } else {
                request.clearBits |= bit;
                request.mask |= 0x20;
            }
        }
    }
    ApplyToSelection(place.view, OM_TEXTFORMAT, 0, &request, FALSE);
}

void CmdTextColor(int index)
{
    const COLORREF* colors = StandardColors();
    if (!colors || index < 0 || index >= kStandardColors) return;
    const COLORREF color = colors[index];
    const Place place = ActivePlace();
    if (IsObjectTextEditor(place.editor)) {
        SendMessageA(place.editor, TEN_SETCHARFORMAT, FormatColor | TenEditUndo | TenEditRepaint | TenEditLayout,
                     static_cast<LPARAM>(color));
        if (TenSelectionIsWholeText(place.editor))
            SendMessageA(place.view, TenNoticeWholeTextFormat, WholeTextColor, static_cast<LPARAM>(color));
        return;
    }
    if (!place.view) return;
    TextFormatRequest request = {};
    request.mask = 0x80;
    request.color = color;
    ApplyToSelection(place.view, OM_TEXTCOLOR, 0, &request, FALSE);
}

void CmdInsertSymbol()
{
    const Place place = ActivePlace();
    HWND editor = place.editor;
    if (!editor) return;
    char face[LF_FACESIZE] = {};
    int code = kFirstSymbolCode;
    BOOL fontChosen = FALSE;
    if (!RunSymbolDialog(face, &code, &fontChosen)) return;
    int slot = -1;
    if (fontChosen) {
        HGLOBAL list = nullptr, map = nullptr;
        {
            Locked<DocumentState> state(GetDocumentStateHandle(place.view));
            if (!state) return;
            list = state->fontList;
            map = state->fontMap;
        }
        const int index = FindFontByFace(list, face);
        if (index < 0) return;
        slot = MapDocumentFont(map, index);
        if (slot < 0) return;
    }
    if (SendMessageA(editor, TEN_SAVEUNDO, kUndoKindSymbol, 0) != 0) return;
    if (fontChosen) SendMessageA(editor, TEN_SETCHARFORMAT, FormatFace | TenEditLayout, slot);
    // The character joins the snapshot just taken, as a typed key would.
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return;
        state->undoKind = kUndoKindTyping;
    }
    SendMessageA(editor, WM_CHAR, static_cast<WPARAM>(code & 0xFF), fontChosen ? 0 : 1);
    Locked<TenState> state(TenStateHandle(editor));
    if (state && state->undoKind != 0) state->undoKind = kUndoKindSymbol;
}

void CmdTextAlignment(int horizontal, int vertical)
{
    const int alignment = AlignmentValue(horizontal), verticalAlign = VerticalValue(vertical);
    if (alignment < 0 || verticalAlign < 0) return;
    const Place place = ActivePlace();
    if (place.editor) {
        ParagraphFormat format = CurrentParagraphFormat(place.editor);
        format.alignment = alignment;
        const int current = static_cast<int>(SendMessageA(place.editor, TEN_GETVERTICALALIGN, 0, 0));
        ApplyParagraphFormat(place.editor, &format, current != verticalAlign);
        SendMessageA(place.editor, TEN_SETVERTICALALIGN, TenEditLayout | TenEditRepaint, verticalAlign);
        FrameToEditor(place.editor);
        return;
    }
    if (!place.view) return;
    TextFormatRequest request = {};
    request.alignment = alignment;
    request.verticalAlign = verticalAlign;
    ApplyToSelection(place.view, OM_TEXTALIGN, 0, &request, FALSE);
}

void ApplyParagraphFormat(HWND editor, const ParagraphFormat* format, BOOL keepExtended)
{
    const LRESULT index = SendMessageA(editor, TEN_FINDORADDPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(format));
    if (index < 0) return;
    const LRESULT saved = SendMessageA(editor, TEN_GETSELECTION, 0, 0);
    SendMessageA(editor, TEN_SAVEUNDO, kUndoKindParagraph, 0);
    SendMessageA(editor, TEN_SELECTPARAGRAPHS, 0, 0);
    SendMessageA(editor, TEN_SETCHARFORMAT, FormatParagraph | TenEditLayout, index);
    if (!keepExtended) SendMessageA(editor, TEN_SETSELECTION, TenEditRepaint, saved);
}

void CmdTextBullets(int kind)
{
    const Place place = ActivePlace();
    if (place.editor) {
        ParagraphFormat format = CurrentParagraphFormat(place.editor);
        format.bullet = kind;
        format.leftIndent = kind ? FirstRunAscent(place.editor) : 0;
        ApplyParagraphFormat(place.editor, &format, FALSE);
        FrameToEditor(place.editor);
        return;
    }
    if (!place.view) return;
    TextFormatRequest request = {};
    request.alignment = kind;
    ApplyToSelection(place.view, OM_TEXTINDENT, 0, &request, FALSE);
}

BOOL DispatchTextCommand(int id)
{
    // The alignment grid: the last digit is the horizontal alignment, the tens the vertical.
    if (id == CMD_TYPEFACE) CmdTextTypeface();
    else if (id == CMD_INSERT_SYMBOL) CmdInsertSymbol();
    else if (id >= CMD_ALIGN_TOP_LEFT && id <= CMD_ALIGN_MIDDLE_FLUSH && id % 10 <= 3)
        CmdTextAlignment(20 + id % 10, 18 + (id - 600) / 10);
    else if (id >= CMD_BULLETS_NONE && id <= CMD_BULLETS_LAST) CmdTextBullets(id - CMD_BULLETS_NONE);
    else return FALSE;
    return TRUE;
}
