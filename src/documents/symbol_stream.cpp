// The symbol stream of a library item.
#include "documents/symbol_stream.h"

#include "documents/document_state.h"
#include "documents/drawing_block.h"
#include "documents/drawing_file.h"
#include "documents/font_table.h"
#include "documents/record_stream.h"
#include "model/drawing.h"
#include "store/results.h"

namespace {

// Whether any object of the drawing carries text, which the font table is written for.
bool DrawingHasText(HGLOBAL drawing)
{
    Locked<Drawing> d(drawing);
    if (!d) return false;
    Locked<ObjectList> objects(d->objectList);
    if (!objects) return false;
    for (int row = 0; row < objects->count; ++row) {
        if ((*objects)[row].textId >= 0) return true;
    }
    return false;
}

HWND DrawingView(HGLOBAL drawing)
{
    Locked<Drawing> d(drawing);
    return d ? d->viewWindow : nullptr;
}

int ReadSymbolContent(HFILE file, HWND view, DocumentState* state)
{
    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        if (int err = ReadRecord(file, &opcode, &length)) return err;
        int result = 0;
        if (opcode == BlockEndOpcode(kOpHeader)) return 0;
        if (opcode == kOpFontTable)
            result = ReadFontTable(file, view, state);
        else if (opcode == kOpDrawingBlock) {
            result = ReadDrawingBlock(file, view, state, length);
            if (!result && g_readDamage.cut) return 0;
        }
        else if (opcode & kRecordBlock)
            result = SkipBlock(file, BlockEndOpcode(opcode));
        if (result) return result;
    }
}

}  // namespace

int WriteSymbolStream(const char* path, HGLOBAL* image, DWORD* imageLength, DocumentState* state)
{
    return WriteStreamWith(path, image, imageLength, state, [](HFILE file, DocumentState* s) {
        int result = DrawingHasText(s->drawing) ? WriteFontTable(file, s) : 0;
        if (!result) result = WriteDrawingBlock(file, s, TRUE);
        return result;
    });
}

int ReadSymbolStream(HFILE file, const char* path, HGLOBAL recordBlock, DWORD imageLength, DocumentState* state)
{
    g_readDamage = ReadDamage{};
    if (int err = BeginRecordBuffer()) return err;
    // The image starts behind the record's block header, and so does its limit.
    DWORD limit = imageLength > 0xFFFFFFFFu - kBlockHeaderSize ? 0xFFFFFFFFu : imageLength + kBlockHeaderSize;
    HFILE source = HFILE_ERROR, opened = HFILE_ERROR;
    int result = BeginStreamSource(file, path, recordBlock, limit, kBlockHeaderSize, &source, &opened);
    if (!result) result = ReadStreamHeader(source, nullptr);
    if (!result) result = ReadSymbolContent(source, DrawingView(state->drawing), state);
    // No one reads a library item's damage to the user: a stream cut short fails as it did.
    if (!result && g_readDamage.cut) result = ErrStreamShortRead;
    EndStreamSource(opened);
    return result;
}
