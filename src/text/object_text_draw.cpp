// Drawing an object's stored text, the in-place editor's background behind the text, and the
// drawing's default text format following edits of a whole text.
#include "text/object_text.h"

#include <algorithm>
#include <cstring>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "exchange/exchange_services.h"
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/render.h"
#include "model/selection.h"
#include "model/window_utils.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/font_cache.h"
#include "text/font_list.h"
#include "text/object_text_shared.h"
#include "text/text_render.h"

namespace {

bool IsMetafileDC(HDC dc)
{
    const DWORD type = GetObjectType(dc);
    return type == OBJ_METADC || type == OBJ_ENHMETADC;
}

}  // namespace

void DrawObjectText(HDC dc, int message, Drawing* drawing, ObjectList* objects, int row, int deviceFlag, int shadow,
                    void* p)
{
    (void)p;
    if (!dc || !drawing || !objects || row < 0 || row >= objects->count) return;
    const DrawObject& object = (*objects)[row];
    if (object.textId < 0) return;
    Locked<DocumentState> state(drawing->viewWindow ? GetDocumentStateHandle(drawing->viewWindow) : nullptr);
    if (!state) return;
    const bool metafile = g_renderingMetafile || IsMetafileDC(dc);
    HDC measure = deviceFlag && !metafile ? dc : state->printerIC;
    if (!measure) measure = dc;
    int fitWindow = 0;
    const int zoom = GetViewZoom(drawing->viewWindow, &fitWindow);
    const BOOL fit = zoom != 0 || fitWindow != 0 || deviceFlag != 0 || metafile;

    HGLOBAL record = nullptr;
    if (LoadRecord(drawing->header.slot, RecTextBlock, object.textId, &record) != 0) return;
    const LONG payloadSize = GetBlockSize(record) - kBlockHeaderSize;
    BYTE* bytes = static_cast<BYTE*>(GlobalLock(record));
    const TextBlock* block = bytes ? CheckedTextBlock(bytes + kBlockHeaderSize, payloadSize) : nullptr;
    if (!block) {
        if (bytes) GlobalUnlock(record);
        ReleaseBlock(record);
        return;
    }
    BYTE* at = bytes + kBlockHeaderSize + kTextBlockSize;
    const auto* lines = reinterpret_cast<const TextLine*>(at);
    at += kTextLineSize * block->lineCount;
    auto* runs = reinterpret_cast<TextRun*>(at);
    at += kTextRunSize * block->runCount;
    const auto* formats = reinterpret_cast<const ParagraphFormat*>(at);
    at += kParagraphFormatSize * block->formatCount;
    const auto* segments = reinterpret_cast<const TextSegment*>(at);
    at += kTextSegmentSize * block->segmentCount;

    const RECT& text = object.textRect;
    TextRenderArgs args;
    args.dc = dc;
    args.measureDC = measure;
    args.fitMode = fit;
    args.fontList = state->fontList;
    args.fontMap = state->fontMap;
    args.lines = lines;
    args.runs = runs;
    args.text = reinterpret_cast<const char*>(at);
    args.formats = formats;
    args.segments = segments;
    args.formatCount = block->formatCount;
    args.runCount = block->runCount;
    args.lineCount = block->lineCount;
    args.textLength = block->textLength;
    args.endLine = block->lineCount;
    args.allBlack = g_printingWithoutColor;
    args.baseUnit = kDrawingUnitsPerInch;
    args.frame = &object.frame;
    TextColorOverride over = {};
    const ShadowPaint* paint = (message == OM_DRAWSHADOW || message == OM_DRAWSHADOWOFFSET)
                                   ? PointerArg<const ShadowPaint>(shadow)
                                   : nullptr;
    if (paint) {
        over = TextColorOverride{paint->dx, paint->dy, paint->color};
        args.colorOverride = &over;
        args.xOffset = paint->dx;
        args.yOffset = paint->dy;
    }

    const int angle = object.angle;
    POINT origin = {};
    if (angle == 0) {
        OffsetWindowOrgEx(dc, -text.left, -text.top, &origin);
    } else {
        args.rotate = TRUE;
        args.xOffset += text.left;
        args.yOffset += text.top;
        // Turned text needs fonts of its own for every run.
        for (int i = 0; i < block->runCount; ++i) {
            TextRun& run = runs[i];
            const int size = std::max(run.script != 0 ? run.size * 3 / 4 : run.size, 4);
            HFONT font = CreateListFont(state->fontList, state->fontMap, run.face, size, run.style, angle, 0,
                                        kDrawingUnitsPerInch);
            run.font = static_cast<INT32>(reinterpret_cast<INT_PTR>(font));
            run.escapement = angle;
        }
    }
    if (block->textLength > 0) {
        if (block->effect.kind != 0 && !paint) RenderTextWithEffect(args, block->effect);
        else RenderTextLines(args);
    }
    bool runsChanged = false;
    if (angle == 0) {
        SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
    } else {
        HGDIOBJ stock = GetStockObject(ANSI_VAR_FONT);
        SelectObject(dc, stock);
        if (measure != dc) SelectObject(measure, stock);
        for (int i = 0; i < block->runCount; ++i) {
            if (runs[i].font) DeleteObject(reinterpret_cast<HFONT>(static_cast<INT_PTR>(runs[i].font)));
            runs[i].font = 0;
            runs[i].escapement = 0;
        }
        runsChanged = true;
    }
    GlobalUnlock(record);
    if (runsChanged) MarkBlockDirty(record);
    ReleaseBlock(record);
}

extern "C" LONG CALLBACK SED_TENProc(HWND editor, HDC dc, void* tenState)
{
    const TenState* ten = static_cast<const TenState*>(tenState);
    if (!ten || ten->ownerRow < 0) return 0;
    HWND view = GetParent(editor);
    Locked<DocumentState> state(view ? GetDocumentStateHandle(view) : nullptr);
    if (!state) return 0;
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return 0;
    RECT area = {0, 0, ten->width, ten->height};
    HBRUSH page = CreateSolidBrush(MapColorForDevice(dc, PageColour(drawing.get()), FALSE));
    FillRect(dc, &area, page);
    DeleteObject(page);
    if (ten->flags & TenFlagShadow) {
        RECT shadow = {};
        GetShadowOffsetRect(drawing.get(), &shadow, 0);
        area.left += shadow.left;
        area.top += shadow.top;
        area.right -= shadow.right;
        area.bottom -= shadow.bottom;
    }
    DrawObject copy;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects || ten->ownerRow >= objects->count) return 0;
        copy = (*objects)[ten->ownerRow];
    }
    const bool shadowed = (ten->flags & TenFlagShadow) && drawing->style.shadowStyle != 0;
    const bool picture = copy.objClass == ClassShape && copy.dataId >= 0 && copy.dataType >= 0;
    if (!(copy.lineWidth != 0 || shadowed || picture || PageColour(drawing.get()) != ten->background)) return 0;
    // A text-less copy of the object, filled, at the editor's place.
    const RECT frame = copy.frame;
    copy.frame = area;
    copy.innerRect = RECT{area.left + copy.innerRect.left - frame.left, area.top + copy.innerRect.top - frame.top,
                          area.right - (frame.right - copy.innerRect.right),
                          area.bottom - (frame.bottom - copy.innerRect.bottom)};
    if (copy.fillPattern == 0) copy.fillColor = ten->background;
    copy.fillPattern = 1;
    copy.textId = -1;
    copy.state &= ~static_cast<DWORD>(StateTextEditing);
    const INT32 shadowStyle = drawing->style.shadowStyle;
    if (!(ten->flags & TenFlagShadow)) drawing->style.shadowStyle = 0;
    DrawStandaloneObjects(dc, drawing.get(), &copy, 1);
    drawing->style.shadowStyle = shadowStyle;
    return 0;
}

void SetDefaultFaceFromSlot(Drawing* drawing, HGLOBAL fontList, HGLOBAL fontMap, int slot)
{
    char face[LF_FACESIZE + 1] = {};
    int charset = 0;
    GetFontFaceName(fontList, fontMap, slot, face, &charset);
    if (!face[0]) return;
    char* target = drawing->defaults.defaultFace;
    const size_t length = std::min(std::strlen(face), sizeof drawing->defaults.defaultFace - 1);
    std::memcpy(target, face, length);
    target[length] = 0;
    drawing->defaults.defaultFontKey = charset;
}

void SetPageTextDefault(HWND view, int selector, int value)
{
    Locked<DocumentState> state(view ? GetDocumentStateHandle(view) : nullptr);
    if (!state) return;
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return;
    ObjectDefaults& defaults = drawing->defaults;
    switch (selector) {
    case 0: SetDefaultFaceFromSlot(drawing.get(), state->fontList, state->fontMap, value); break;
    case 1: defaults.defaultTextSize = value; break;
    case 2: defaults.defaultTextStyle = value; break;
    case 3: drawing->style.textColor = static_cast<COLORREF>(value); break;
    case 4: defaults.defaultTextStyle |= value; break;
    case 5: defaults.defaultTextStyle &= ~value; break;
    default: break;
    }
}
