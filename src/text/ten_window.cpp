// The TENClass window: life of an editor, the message dispatch and the handlers that only read
// or store a value.
#include "text/ten_window.h"

#include <algorithm>
#include <cstring>

#include "frame/frame_ui.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "store/results.h"
#include "text/font_cache.h"
#include "text/text_block.h"
#include "text/text_edit.h"
#include "text/text_engine.h"
#include "text/text_formatting.h"
#include "text/text_keys.h"
#include "text/text_layout.h"
#include "text/text_measure.h"
#include "text/text_paint.h"
#include "text/text_runs.h"
#include "text/text_undo.h"
#include "text/text_view.h"

BOOL g_tenTracking = FALSE;

namespace {

constexpr char kTenClassName[] = "TENClass";

int Packed16(WORD value)
{
    return static_cast<SHORT>(value);
}

POINT PointOf(LPARAM packed)
{
    return POINT{Packed16(LOWORD(packed)), Packed16(HIWORD(packed))};
}

// Resizes (or allocates) a table to `bytes`.
BOOL SizeTable(HGLOBAL* table, SIZE_T bytes)
{
    bytes = std::max<SIZE_T>(bytes, 1);
    HGLOBAL block = *table ? GlobalReAlloc(*table, bytes, GMEM_MOVEABLE)
                           : GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block) return FALSE;
    *table = block;
    return TRUE;
}

BOOL FillTable(HGLOBAL* table, const void* bytes, SIZE_T size, SIZE_T reserve = 0)
{
    if (!SizeTable(table, size + reserve)) return FALSE;
    if (size) {
        Locked<BYTE> target(*table);
        if (!target) return FALSE;
        std::memcpy(target.get(), bytes, size);
    }
    return TRUE;
}

int LastBandChange(HGLOBAL bands, int count)
{
    Locked<TextRegion> table(bands);
    if (!table) return 0;
    int last = 0;
    for (int i = 1; i < count; ++i)
        if (table.get()[i].wrapWidth != table.get()[i - 1].wrapWidth) last = i;
    return last;
}

int FormatCountOf(const TenState* state)
{
    Locked<BYTE> formats(state->formats);
    return formats ? FormatTableCount(formats.get()) : 0;
}

int LastLineBottom(const TenState* state)
{
    if (state->lineCount <= 0) return 0;
    Locked<TextLine> lines(state->lines);
    if (!lines) return 0;
    const TextLine& last = lines.get()[state->lineCount - 1];
    return last.y + last.height;
}

void FreeStateBlock(HGLOBAL handle)
{
    if (TenState* s = static_cast<TenState*>(GlobalLock(handle))) {
        if (s->memoryDC) DeleteDC(s->memoryDC);
        if (s->bitmap) DeleteObject(s->bitmap);
        if (s->bands) GlobalFree(s->bands);
        FreeTextUndoArrays(&s->snapshot);
        FreeTextUndoArrays(CurrentTextCopy(s));
        GlobalUnlock(handle);
    }
    GlobalFree(handle);
}

// ---- Handlers of the private messages: (editor, state handle, locked state, wParam, lParam).

using Handler = LRESULT (*)(HWND, HGLOBAL, TenState*, WPARAM, LPARAM);

LRESULT OnSetZoom(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l)
{
    TenSetZoom(e, static_cast<int>(w), l != 0);
    return 0;   // the result carries no information
}
LRESULT OnUpdatePosition(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM l) { return TenUpdatePosition(e, l); }
LRESULT OnSetReferenceDC(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM l)
{
    return TenSetReferenceDC(e, reinterpret_cast<HDC>(l));
}
LRESULT OnGetWrap(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return (s->options & TenOptWordWrap) ? 1 : 0; }
LRESULT OnLoad(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l)
{
    return TenLoadTextBlock(e, w, reinterpret_cast<const TextBlock*>(l));
}
LRESULT OnGetText(HWND, HGLOBAL, TenState* s, WPARAM w, LPARAM)
{
    return reinterpret_cast<LRESULT>(SerializeTextBlock(s, static_cast<UINT>(w)));
}
LRESULT OnSetExtent(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM l)
{
    s->width = Packed16(LOWORD(l));
    s->height = Packed16(HIWORD(l));
    return 0;
}
LRESULT OnGetModified(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return (s->options & TenOptModified) ? 1 : 0; }
LRESULT OnSetModified(HWND e, HGLOBAL, TenState* s, WPARAM w, LPARAM)
{
    if (w) {
        s->options |= TenOptModified;
    } else {
        if (s->undoKind) SaveTextUndo(e, s, 0);
        s->options &= ~TenOptModified;
    }
    return s->options;
}
LRESULT OnSetOrigin(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM l)
{
    s->originX = Packed16(LOWORD(l));
    s->originY = Packed16(HIWORD(l));
    return 0;
}
LRESULT OnSetMargins(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM l)
{
    if (const RECT* margins = reinterpret_cast<const RECT*>(l)) s->margins = *margins;
    return 0;
}
LRESULT OnRepaintAll(HWND e, HGLOBAL, TenState* s, WPARAM w, LPARAM)
{
    RedrawLines(e, s, 0, s->lineCount, w != 0);
    return 0;
}
LRESULT OnSetSelection(HWND e, HGLOBAL, TenState* s, WPARAM w, LPARAM l)
{
    int start, end;
    if (w & TenSelectNearEnd) {
        start = 0;
        if (s->lineCount >= 4) {
            Locked<TextLine> lines(s->lines);
            if (lines) start = lines.get()[s->lineCount - 4].firstChar;
        }
        end = start;
    } else {
        // A negative half counts as 0.
        start = std::max(0, Packed16(LOWORD(l)));
        end = std::max(0, Packed16(HIWORD(l)));
    }
    HideCaret(e);
    start = std::min(start, static_cast<int>(s->textLength));
    end = std::min(end, static_cast<int>(s->textLength));
    s->selAnchor.charIndex = start;
    s->selStart.charIndex = std::min(start, end);
    s->selEnd.charIndex = std::max(start, end);
    RefreshSelectionEnds(e, s);
    if (w & TenEditRepaint) {
        RedrawLines(e, s, 0, s->lineCount, FALSE);
        ScrollCaretIntoView(e, s, nullptr, &s->selEnd, FALSE);
        NotifyFormatChange(e, s, 0);
    }
    return 0;
}
LRESULT OnGetSelection(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM)
{
    return MAKELONG(static_cast<WORD>(s->selStart.charIndex), static_cast<WORD>(s->selEnd.charIndex));
}
LRESULT OnSetBackColor(HWND e, HGLOBAL, TenState* s, WPARAM, LPARAM l)
{
    s->background = static_cast<COLORREF>(l);
    for (HDC dc : {s->windowDC, s->memoryDC})
        if (dc) SetBkColor(dc, MapColorForDevice(dc, s->background, FALSE));
    InvalidateRect(e, nullptr, FALSE);
    return 0;
}
LRESULT OnNoOp(HWND, HGLOBAL, TenState*, WPARAM, LPARAM) { return 0; }
LRESULT OnGetParagraphTable(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(s->formats); }
LRESULT OnGetTextHeight(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return LastLineBottom(s); }
LRESULT OnGetLineCount(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return s->lineCount; }
LRESULT OnSaveUndo(HWND e, HGLOBAL, TenState* s, WPARAM w, LPARAM) { return SaveTextUndo(e, s, static_cast<int>(w)); }
LRESULT OnGetOptions(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return s->options; }
LRESULT OnSetOptions(HWND, HGLOBAL, TenState* s, WPARAM w, LPARAM)
{
    s->options = static_cast<DWORD>(w);
    return 0;
}
LRESULT OnGetTextLength(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return s->textLength; }
LRESULT OnChangeFlags(HWND, HGLOBAL, TenState* s, WPARAM w, LPARAM l)
{
    if (l) s->flags |= static_cast<DWORD>(w);
    else s->flags &= ~static_cast<DWORD>(w);
    return 0;
}
LRESULT OnGetUndoKind(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return s->undoKind; }
LRESULT OnSetRegions(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l)
{
    return TenSetRegions(e, reinterpret_cast<HGLOBAL>(l), static_cast<int>(w));
}
LRESULT OnReleaseFonts(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenReleaseFonts(e); }
LRESULT OnRemakeFonts(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenRemakeFonts(e); }
LRESULT OnGetEditorKind(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return s->editorKind; }
LRESULT OnShowOrHide(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM l)
{
    const bool shift = LOWORD(l) != 0 || HIWORD(l) != 0;
    const UINT quiet = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
    HWND parent = GetParent(e);
    if (shift) {
        if (!IsWindowVisible(e)) return 0;
        if (parent) UpdateWindow(parent);
        SetWindowPos(e, nullptr, 0, 0, 0, 0, quiet | SWP_NOREDRAW | SWP_HIDEWINDOW);
        if (parent) {
            RECT area;
            GetClientRect(e, &area);
            MapWindowPoints(e, parent, reinterpret_cast<POINT*>(&area), 2);
            InvalidateRect(parent, &area, TRUE);
        }
        return 1;
    }
    if (!IsWindowVisible(e)) SetWindowPos(e, nullptr, 0, 0, 0, 0, quiet | SWP_SHOWWINDOW);
    return 0;
}
LRESULT OnEditChar(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM) { return EditTextChar(e, 0, w); }
LRESULT OnReplaceSelection(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l)
{
    const void* data = reinterpret_cast<const void*>(l);
    const int length = (w & TenEditString) && data ? lstrlenA(static_cast<const char*>(data)) : 0;
    return TenReplaceSelection(e, data, length, w);
}
LRESULT OnSetWholeTextMode(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l) { return TenSetWholeTextMode(e, w, l != 0); }
LRESULT OnWordForward(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenWordStep(e, 1); }
LRESULT OnWordBackward(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenWordStep(e, -1); }
LRESULT OnPlaceCaret(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenPlaceCaret(e); }
LRESULT OnFindOrAddParagraphFormat(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM l)
{
    return FindOrAddParagraphFormat(s, reinterpret_cast<const ParagraphFormat*>(l));
}
LRESULT OnGetVerticalAlign(HWND, HGLOBAL, TenState* s, WPARAM, LPARAM) { return s->verticalAlign; }
LRESULT OnSetPalette(HWND, HGLOBAL, TenState* s, WPARAM w, LPARAM)
{
    s->palette = reinterpret_cast<HPALETTE>(w);
    return 0;
}
LRESULT OnFrameRect(HWND, HGLOBAL, TenState* s, WPARAM w, LPARAM l)
{
    RECT* rect = reinterpret_cast<RECT*>(l);
    if (!rect) return 0;
    if (w) s->frame = *rect;
    else *rect = s->frame;
    return 0;
}

LRESULT OnSetCharFormat(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l) { return TenSetCharFormat(e, l, w); }
LRESULT OnGetCharFormat(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM) { return TenGetCharFormat(e, w); }
LRESULT OnSetAlignment(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l) { return TenSetAlignment(e, w, static_cast<int>(l)); }
LRESULT OnGetAlignment(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenGetAlignment(e); }
LRESULT OnSetWrap(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l) { return TenSetWrap(e, w, l != 0); }
LRESULT OnAdjustSpacing(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l)
{
    return TenAdjustParagraphSpacing(e, w, static_cast<int>(l));
}
LRESULT OnGetFormatValue(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenGetFormatValue(e); }
LRESULT OnSelectParagraphs(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM) { return TenSelectParagraphs(e, w); }
LRESULT OnFontDialog(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM) { return TenFontDialog(e); }
LRESULT OnGetParagraphFormat(HWND e, HGLOBAL, TenState*, WPARAM, LPARAM l)
{
    return TenGetParagraphFormat(e, reinterpret_cast<ParagraphFormat*>(l));
}
LRESULT OnSetVerticalAlign(HWND e, HGLOBAL, TenState*, WPARAM w, LPARAM l)
{
    return TenSetVerticalAlign(e, w, static_cast<int>(l));
}

struct TableEntry {
    Handler handler;    // null: DefWindowProc
    LRESULT noState;
};

// TEN_SETCHARFORMAT to TEN_FRAMERECT.
constexpr TableEntry kTable[70] = {
    /*101*/ {OnSetCharFormat, 0},
    /*102*/ {OnGetCharFormat, 0},
    /*103*/ {OnSetZoom, 0},
    /*104 notification*/ {nullptr, 0},
    /*105*/ {OnUpdatePosition, 0},
    /*106*/ {OnSetAlignment, 0},
    /*107*/ {OnGetAlignment, 0},
    /*108*/ {OnSetReferenceDC, 0},
    /*109 notification*/ {nullptr, 0},
    /*110*/ {OnSetWrap, 0},
    /*111*/ {OnGetWrap, 0},
    /*112*/ {OnLoad, ErrOutOfMemory},
    /*113*/ {OnGetText, 0},
    /*114*/ {OnSetExtent, 1},
    /*115*/ {OnGetModified, 1},
    /*116*/ {OnSetModified, 1},
    /*117*/ {OnSetOrigin, 1},
    /*118*/ {OnSetMargins, 1},
    /*119*/ {OnRepaintAll, 1},
    /*120*/ {OnSetSelection, 1},
    /*121*/ {OnGetSelection, 1},
    /*122*/ {OnEditChar, 0},
    /*123*/ {OnReplaceSelection, 1},
    /*124*/ {OnSetWholeTextMode, 1},
    /*125 notification*/ {nullptr, 0},
    /*126*/ {OnSetBackColor, 0},
    /*127*/ {nullptr, 0},
    /*128*/ {OnNoOp, 1},
    /*129 notification*/ {nullptr, 0},
    /*130*/ {OnGetParagraphTable, 0},
    /*131*/ {OnWordForward, 0},
    /*132*/ {OnWordBackward, 0},
    /*133*/ {OnGetTextHeight, 0},
    /*134*/ {OnGetLineCount, 0},
    /*135*/ {OnAdjustSpacing, 0},
    /*136*/ {OnGetFormatValue, 0},
    /*137*/ {OnSelectParagraphs, 0},
    /*138 notification*/ {nullptr, 0},
    /*139*/ {OnSaveUndo, 1},
    /*140*/ {nullptr, 0},
    /*141*/ {nullptr, 0},
    /*142*/ {nullptr, 0},
    /*143*/ {OnGetOptions, 0},
    /*144*/ {OnSetOptions, 0},
    /*145*/ {OnGetTextLength, 0},
    /*146*/ {OnChangeFlags, 0},
    /*147*/ {OnGetUndoKind, 1},
    /*148*/ {nullptr, 0},
    /*149*/ {nullptr, 0},
    /*150*/ {nullptr, 0},
    /*151*/ {nullptr, 0},
    /*152*/ {nullptr, 0},
    /*153*/ {OnPlaceCaret, 0},
    /*154*/ {nullptr, 0},
    /*155*/ {OnSetRegions, 0},
    /*156*/ {nullptr, 0},
    /*157*/ {OnReleaseFonts, 0},
    /*158*/ {OnRemakeFonts, 0},
    /*159*/ {OnFontDialog, 1},
    /*160*/ {OnGetEditorKind, 0},
    /*161*/ {nullptr, 0},
    /*162*/ {OnShowOrHide, 0},
    /*163*/ {nullptr, 0},
    /*164*/ {nullptr, 0},
    /*165*/ {OnGetParagraphFormat, 1},
    /*166*/ {OnFindOrAddParagraphFormat, -1},
    /*167*/ {OnSetVerticalAlign, 0},
    /*168*/ {OnGetVerticalAlign, 0},
    /*169*/ {OnSetPalette, 0},
    /*170*/ {OnFrameRect, 0},
};

LRESULT Dispatch(HWND editor, Handler handler, LRESULT noState, WPARAM w, LPARAM l)
{
    HGLOBAL handle = TenStateHandle(editor);
    if (!handle) return noState;
    Locked<TenState> state(handle);
    if (!state) return noState;
    return handler(editor, handle, state.get(), w, l);
}

}  // namespace

int RegisterTenClass(HINSTANCE instance)
{
    WNDCLASSA existing;
    if (GetClassInfoA(instance, kTenClassName, &existing)) return 0;
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = TENProc;
    wc.cbWndExtra = sizeof(LONG);
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kTenClassName;
    return RegisterClassA(&wc) ? 0 : ErrWindowNotCreated;
}

int TenCreate(HWND editor, const TenCreateParams* p)
{
    if (!p || !p->fontList || !p->fontMap || !p->referenceDC) return 1;
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TenState));
    if (!handle) return ErrOutOfMemory;
    int err = 0;
    {
        Locked<TenState> state(handle);
        TenState* s = state.get();
        if (!s) {
            GlobalFree(handle);
            return ErrOutOfMemory;
        }
        const int initialLength =
            p->initialText ? static_cast<int>(std::min<size_t>(std::strlen(p->initialText), kLargestTextBlock)) : 0;
        TenTextCopy* copies[2] = {CurrentTextCopy(s), &s->snapshot};
        for (TenTextCopy* c : copies) {
            if (!SizeTable(&c->runs, sizeof(TextRun)) || !SizeTable(&c->formats, 4 + sizeof(ParagraphFormat)) ||
                !SizeTable(&c->lines, sizeof(TextLine)) || !SizeTable(&c->segments, sizeof(TextSegment)) ||
                !SizeTable(&c->text, 256))
                err = ErrOutOfMemory;
        }
        if (!err && initialLength + 256 > 256 && !SizeTable(&s->text, initialLength + 256)) err = ErrOutOfMemory;
        if (!err && p->bands && p->bandCount > 0) {
            const SIZE_T bytes = std::min<SIZE_T>(GlobalSize(p->bands), sizeof(TextRegion) * p->bandCount);
            Locked<BYTE> source(p->bands);
            if (!source || !FillTable(&s->bands, source.get(), bytes)) err = ErrOutOfMemory;
            else s->bandCount = static_cast<INT32>(bytes / sizeof(TextRegion));
        }
        // Settings from the creation record.
        s->fontList = p->fontList;
        s->fontMap = p->fontMap;
        s->verticalAlign = p->verticalAlign;
        s->labelLink = p->labelLink;
        s->editorKind = p->editorKind;
        s->numericMode = p->numericMode;
        s->maxTextLength = p->maxTextLength;
        s->baseUnit = p->baseUnit > 0 ? p->baseUnit : kDrawingUnitsPerInch;
        s->defaultFace = p->face;
        s->palette = p->palette;
        s->frame = p->frame;
        s->effect = p->effect;
        std::copy(p->marginRatios, p->marginRatios + 4, s->marginRatios);
        s->maxWidth = p->maxWidth;
        s->maxHeight = p->maxHeight;
        s->minHeight = p->minHeight;
        s->minWidth = p->minWidth;
        s->heightStep = p->heightStep;
        s->widthStep = p->widthStep;
        s->margins = p->margins;
        s->zoom = p->zoom;
        s->ownerPaint = p->ownerPaint;
        s->flags = p->flags;
        s->background = GetSysColor(COLOR_WINDOW);
        s->referenceDC = p->referenceDC;
        s->windowDC = GetDC(editor);
        RECT client;
        GetClientRect(editor, &client);
        if (!err && (!s->windowDC || !MakeOffscreenBitmap(s, client.right, client.bottom))) err = ErrOutOfMemory;
        if (!err) {
            SetUpEditorDC(s, s->windowDC);
            SetLogicalUnits(s->referenceDC, 0, s->baseUnit);
            SetTextAlign(s->referenceDC, TA_BASELINE);
            s->originX = p->originX;
            s->originY = p->originY;
            SIZE logical{client.right, client.bottom};
            DeviceToLogicalSize(s->windowDC, &logical);
            s->width = logical.cx;
            s->height = logical.cy;
            s->options = p->options;
            s->lastBandChange = s->bandCount > 0 ? LastBandChange(s->bands, s->bandCount) : 0;
            s->ownerRow = p->ownerRow;
            s->runCount = s->lineCount = s->segmentCount = 1;
            s->textLength = initialLength;
            if (initialLength) {
                Locked<char> text(s->text);
                std::memcpy(text.get(), p->initialText, initialLength);
            }
            TextRun run = {};
            run.face = p->face;
            run.size = p->size;
            run.style = p->style;
            run.color = p->color;
            run.script = p->script;
            run.attribute = p->attribute;
            run.nominalSize = p->size;
            run.charCount = initialLength;
            {
                Locked<TextRun> runs(s->runs);
                runs.get()[0] = run;
            }
            s->typingFormat = run;
            s->typingFormat.charCount = 0;
            s->typingRun = -1;
            ParagraphFormat format = {};
            format.alignment = p->alignment;
            format.spacingBase = 120;
            format.tabInterval = s->baseUnit / 4;
            format.hyphenate = 1;
            {
                Locked<BYTE> formats(s->formats);
                const INT32 one = 1;
                std::memcpy(formats.get(), &one, 4);
                std::memcpy(formats.get() + 4, &format, sizeof(format));
            }
        }
    }
    if (err) {
        FreeStateBlock(handle);
        SetWindowLongA(editor, 0, 0);
        return err;
    }
    CreateRunFonts(handle, 0, 0);
    SetWindowLongA(editor, 0, static_cast<LONG>(reinterpret_cast<LONG_PTR>(handle)));
    int end = 0, first = 0;
    err = LayoutLines(editor, handle, 0, kLayoutToEnd, &end, &first);
    if (err) {
        SetWindowLongA(editor, 0, 0);
        FreeStateBlock(handle);
        return err;
    }
    {
        Locked<TenState> state(handle);
        TenState* s = state.get();
        if ((s->flags & (TenFlagGrowWidth | TenFlagGrowHeight)) && s->textLength > 0) AutoSizeTextWindow(editor, s);
        ResolveTextPosition(s, &s->selStart, 0, nullptr);
        s->selEnd = s->selAnchor = s->selStart;
        s->caretX = s->selStart.x;
        {
            Locked<TextLine> lines(s->lines);
            s->caretY = lines ? lines.get()[0].y : 0;
        }
        s->paintedBottom = LastLineBottom(s);
        s->separatorBottom = 0;
        NotifyFormatChange(editor, s, TenNotifyAll);
    }
    if (!(p->createFlags & 2)) ShowWindow(editor, SW_SHOWNA);
    return 0;
}

int TenDestroy(HWND editor)
{
    HGLOBAL handle = TenStateHandle(editor);
    if (!handle) return 0;
    if (TenState* s = static_cast<TenState*>(GlobalLock(handle))) {
        HGDIOBJ system = GetStockObject(SYSTEM_FONT);
        if (s->windowDC) SelectObject(s->windowDC, system);
        if (s->referenceDC) SelectObject(s->referenceDC, system);
        if (s->windowDC) ReleaseDC(editor, s->windowDC);
        s->windowDC = nullptr;
        GlobalUnlock(handle);
    }
    FreeStateBlock(handle);
    SetWindowLongA(editor, 0, 0);
    return 0;
}

int TenSetRegions(HWND editor, HGLOBAL bands, int count)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (s->bands && s->bands != bands) GlobalFree(s->bands);
    s->bands = bands;
    // The count comes with the message: never more bands than the table holds.
    const int held = bands ? static_cast<int>(GlobalSize(bands) / sizeof(TextRegion)) : 0;
    s->bandCount = std::clamp(count, 0, held);
    s->lastBandChange = s->bandCount > 0 ? LastBandChange(bands, s->bandCount) : 0;
    return 0;
}

UINT CanPasteText(HWND owner)
{
    if (!OpenClipboard(owner)) return 0;
    UINT result = 0;
    if (g_tenClipFormat && IsClipboardFormatAvailable(g_tenClipFormat)) result = g_tenClipFormat;
    else if (IsClipboardFormatAvailable(CF_TEXT)) result = 1;
    CloseClipboard();
    return result;
}

int TenHasSelection(HWND editor)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    return !(state->options & TenOptWholeText) && state->selStart.charIndex != state->selEnd.charIndex;
}

int TenGetUndoState(HWND editor, int* redo)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) {
        if (redo) *redo = 0;
        return 0;
    }
    if (redo) *redo = (state->flags & TenFlagRedo) ? 1 : 0;
    return state->undoKind;
}

BOOL IsLoadableTextBlock(const TextBlock* b, int editorFormatCount)
{
    if (b->runCount < 0 || b->lineCount < 0 || b->textLength < 0 || b->formatCount < 0 || b->segmentCount < 0)
        return FALSE;
    const long long size = kTextBlockSize + 60LL * b->lineCount + 68LL * b->runCount + 44LL * b->formatCount +
                           24LL * b->segmentCount + b->textLength;
    if (size > kLargestTextBlock || b->formatCount > kMaxParagraphFormats) return FALSE;
    if (b->runCount == 0) return b->textLength == 0;
    const TextRun* runs = reinterpret_cast<const TextRun*>(reinterpret_cast<const BYTE*>(b) + kTextBlockSize +
                                                           kTextLineSize * b->lineCount);
    const int formats = b->formatCount ? b->formatCount : editorFormatCount;
    int expected = 0;
    for (int i = 0; i < b->runCount; ++i) {
        if (runs[i].firstChar != expected || runs[i].charCount < 0) return FALSE;
        if (runs[i].paragraphFormat < 0 || runs[i].paragraphFormat >= formats) return FALSE;
        expected += runs[i].charCount;
    }
    return expected == b->textLength;
}

int TenLoadTextBlock(HWND editor, WPARAM flags, const TextBlock* block)
{
    HGLOBAL handle = TenStateHandle(editor);
    Locked<TenState> state(handle);
    if (!state) return ErrOutOfMemory;
    TenState* s = state.get();
    if (block && !IsLoadableTextBlock(block, FormatCountOf(s))) return ErrOutOfMemory;
    if (int err = SaveTextUndo(editor, s, kUndoKindLoad)) return err;
    int err = 0;
    const BYTE* at = block ? reinterpret_cast<const BYTE*>(block) + kTextBlockSize : nullptr;
    if (block) {
        const TextLine* lines = reinterpret_cast<const TextLine*>(at);
        const TextRun* runs = reinterpret_cast<const TextRun*>(at + kTextLineSize * block->lineCount);
        const ParagraphFormat* formats =
            reinterpret_cast<const ParagraphFormat*>(reinterpret_cast<const BYTE*>(runs) + kTextRunSize * block->runCount);
        const TextSegment* segments = reinterpret_cast<const TextSegment*>(
            reinterpret_cast<const BYTE*>(formats) + kParagraphFormatSize * block->formatCount);
        const char* text =
            reinterpret_cast<const char*>(segments) + kTextSegmentSize * block->segmentCount;
        if (block->lineCount) {
            if (FillTable(&s->lines, lines, kTextLineSize * block->lineCount)) s->lineCount = block->lineCount;
            else err = ErrOutOfMemory;
        }
        if (!err && block->runCount) {
            if (FillTable(&s->runs, runs, kTextRunSize * block->runCount)) s->runCount = block->runCount;
            else err = ErrOutOfMemory;
        }
        if (!err && block->formatCount) {
            if (SizeTable(&s->formats, 4 + kParagraphFormatSize * block->formatCount)) {
                Locked<BYTE> table(s->formats);
                std::memcpy(table.get(), &block->formatCount, 4);
                std::memcpy(table.get() + 4, formats, kParagraphFormatSize * block->formatCount);
            } else {
                err = ErrOutOfMemory;
            }
        }
        if (!err && block->segmentCount) {
            if (FillTable(&s->segments, segments, kTextSegmentSize * block->segmentCount))
                s->segmentCount = block->segmentCount;
            else err = ErrOutOfMemory;
        }
        if (!err && !FillTable(&s->text, text, block->textLength, 256)) err = ErrOutOfMemory;
        if (!err) s->textLength = block->textLength;
    }
    if (!err && (!block || block->runCount == 0)) {
        // One empty run keeps the format of the first run.
        if (SizeTable(&s->runs, sizeof(TextRun))) {
            Locked<TextRun> runs(s->runs);
            runs.get()[0].firstChar = 0;
            runs.get()[0].charCount = 0;
            s->runCount = 1;
        } else {
            err = ErrOutOfMemory;
        }
        if (!block) s->textLength = 0;
    }
    if (!err) {
        Locked<TextRun> runs(s->runs);
        for (int i = 0; i < s->runCount; ++i) {
            TextRun& run = runs.get()[i];
            if (run.font == 0 || run.escapement != 0) {
                CreateRunFont(s, &run);
            } else if (block && block->zoom != s->zoom) {
                int size = run.script != 0 ? run.size * 3 / 4 : run.size;
                HFONT font = GetCachedFont(s->fontList, s->fontMap, run.face, std::max(size, 4), run.style, 0, 0,
                                           s->baseUnit);
                run.font = static_cast<INT32>(reinterpret_cast<INT_PTR>(font));
            }
        }
    }
    if (!err) {
        MergeEqualRuns(s);
        if (block) {
            s->effect = block->effect;
            s->ownerRow = block->ownerRow;
            s->options = static_cast<DWORD>(block->options);
        }
        int end = 0, first = 0;
        err = LayoutLines(editor, handle, 0, kLayoutToEnd, &end, &first);
    }
    if (err) {
        SwapTextUndo(s);
    } else {
        {
            Locked<TextLine> lines(s->lines);
            if (lines && s->lineCount > 0) {
                const TextLine& last = lines.get()[s->lineCount - 1];
                s->fittedHeight = last.y + last.height + s->margins.bottom + s->margins.top - lines.get()[0].y;
            }
        }
        if (IsWindowVisible(editor) && (s->flags & (TenFlagGrowWidth | TenFlagGrowHeight)) &&
            !(flags & TenEditNoAutoSize))
            AutoSizeTextWindow(editor, s);
        TextPos start = {};
        start.atLineStart = 1;
        {
            Locked<TextLine> lines(s->lines);
            if (lines && s->lineCount > 0) start.x = lines.get()[0].x;
        }
        s->selStart = s->selEnd = s->selAnchor = start;
        NotifyFormatChange(editor, s, TenNotifyAll);
        s->paintedBottom = LastLineBottom(s);
        s->separatorBottom = 0;
        if (flags & TenEditRepaint) {
            RedrawLines(editor, s, 0, s->lineCount, FALSE);
            if (s->textLength == 0) ScrollCaretIntoView(editor, s, nullptr, nullptr, FALSE);
        }
    }
    SaveTextUndo(editor, s, 0);
    s->options &= ~TenOptModified;
    return err;
}

LRESULT CALLBACK TENProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool hasState = TenStateHandle(editor) != nullptr;
    switch (message) {
    case WM_CREATE: {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (!create || !create->lpCreateParams) return 1;
        return TenCreate(editor, static_cast<const TenCreateParams*>(create->lpCreateParams));
    }
    case WM_DESTROY:
        return TenDestroy(editor);
    case WM_SIZE:
        if (wParam == SIZE_RESTORED) TenSize(editor, LOWORD(lParam), HIWORD(lParam));
        return 1;
    case WM_ACTIVATE:
        if (hasState) SetTextFocus(editor, LOWORD(wParam) != 0);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (hasState) SetTextFocus(editor, message == WM_SETFOCUS);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(editor, &paint);
        if (hasState) TenPaint(dc, editor, &paint.rcPaint);
        return EndPaint(editor, &paint);
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (hasState && GetFocus() != editor) PostMessageA(GetParent(editor), TenNoticeCursor, 0, 0);
        return DefWindowProcA(editor, message, wParam, lParam);
    case EM_UNDO:
        TenUndo(editor);
        return 0;
    case WM_KEYDOWN:
        if (hasState && !TenKeyDown(editor, static_cast<int>(wParam)))
            SendMessageA(GetParent(editor), message, wParam, lParam);
        return 0;
    case WM_KEYUP:
        if (hasState) SendMessageA(GetParent(editor), message, wParam, lParam);
        return 0;
    case WM_CHAR:
        if (!hasState) return 0;
        if (int taken = TenChar(editor, static_cast<int>(wParam), lParam)) return taken;
        return SendMessageA(GetParent(editor), message, wParam, lParam);
    case WM_MOUSEMOVE:
        if (!hasState) return 0;
        if (g_tenTracking) return TenMouseMove(editor, wParam, PointOf(lParam));
        CancelToolTip();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!hasState) return 0;
        if (message == WM_LBUTTONDOWN && g_tenTracking) return 1;
        return TenMouseDown(editor, wParam, PointOf(lParam), message == WM_LBUTTONDBLCLK);
    case WM_LBUTTONUP:
        return hasState && g_tenTracking ? TenMouseUp(editor, wParam, PointOf(lParam)) : 0;
    case WM_RBUTTONDOWN:
        if (hasState && g_rightButtonMenu) {
            ContextMenuKind = 3;
            POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
            HWND parent = GetParent(editor);
            MapWindowPoints(editor, parent, &at, 1);
            return ShowContextMenu(parent, MAKELPARAM(at.x, at.y));
        }
        return 0;
    default:
        break;
    }
    if (message == TEN_UPDATEPOSITION) return hasState ? TenUpdatePosition(editor, lParam) : 0;
    if (message >= kTenFirstTableMessage && message <= kTenLastTableMessage) {
        const TableEntry& entry = kTable[message - kTenFirstTableMessage];
        if (entry.handler) return Dispatch(editor, entry.handler, entry.noState, wParam, lParam);
    }
    return DefWindowProcA(editor, message, wParam, lParam);
}
