// Converting drawings of older versions, run by hand under Wine: drawings of 4,000 and 16,000
// shapes, a quarter of them with a text record; prints milliseconds per conversion of the
// whole store (checks, the state, the tables, the text records) and the ratio of the two.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "documents/older_versions.h"
#include "store/block_store.h"
#include "support/temp_folder.h"

namespace {

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1e3 / f.QuadPart;
}

bool Put(int slot, int type, int id, const void* payload, size_t size)
{
    HGLOBAL block = nullptr;
    if (AddRecord(slot, type, id, static_cast<DWORD>(16 + size), &block)) return false;
    BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
    std::memcpy(bytes + 16, payload, size);
    GlobalUnlock(block);
    MarkBlockDirty(block);
    ReleaseBlock(block);
    return true;
}

// An old drawing of `n` shapes, every fourth with a text record of one line and run.
bool MakeOldDrawing(int slot, int n, DocumentState* state)
{
    for (int type : {100, 110, 115, 111, 112, 113, 114, 116, 117}) AddRecordType(slot, type);
    OldDocumentState oldState = {};
    oldState.version = 2;
    std::memset(state, 0, sizeof *state);
    std::memcpy(state, &oldState, sizeof oldState);
    const INT16 one[2] = {1, 0};
    OldFontListHead fontHead = {1, 0};
    std::vector<BYTE> fonts(sizeof fontHead + sizeof(OldFontListEntry));
    std::memcpy(fonts.data(), &fontHead, sizeof fontHead);
    std::vector<BYTE> drawing(sizeof(OldDrawing) - 16);
    std::vector<BYTE> list(2 + sizeof(OldDrawObject) * n), order(2 + 2 * n);
    std::memcpy(list.data(), &n, 2);
    std::memcpy(order.data(), &n, 2);
    for (int row = 0; row < n; ++row) {
        OldDrawObject o = {};
        o.frame = {static_cast<INT16>(row % 100 * 60), static_cast<INT16>(row / 100 * 60), 0, 0};
        o.values[0] = static_cast<INT16>(row % 4 == 0 ? row / 4 + 1 : -1);
        o.ids[2] = static_cast<WORD>(row + 1);
        std::memcpy(list.data() + 2 + sizeof o * row, &o, sizeof o);
        const INT16 r = static_cast<INT16>(row);
        std::memcpy(order.data() + 2 + 2 * row, &r, 2);
    }
    const INT16 none = 0;
    if (!Put(slot, 100, 101, &oldState, sizeof oldState) || !Put(slot, 100, 103, one, sizeof one) ||
        !Put(slot, 100, 104, fonts.data(), fonts.size()) || !Put(slot, 100, 105, drawing.data(), drawing.size()) ||
        !Put(slot, 110, 0, list.data(), list.size()) || !Put(slot, 111, 0, order.data(), order.size()) ||
        !Put(slot, 115, 0, &none, sizeof none))
        return false;
    const std::string text = "A label of about forty characters long.";
    std::vector<BYTE> record(50 + 30 + 38 + 22 + 12 + text.size());
    const INT16 counts[5] = {1, 1, static_cast<INT16>(text.size()), 1, 1};
    std::memcpy(record.data(), counts, sizeof counts);
    std::memcpy(record.data() + record.size() - text.size(), text.data(), text.size());
    for (int id = 1; id <= (n + 3) / 4; ++id)
        if (!Put(slot, 114, id, record.data(), record.size())) return false;
    return FlushStore(slot, TRUE) == 0;
}

// Best of three conversions of a fresh store of `n` objects, in milliseconds.
double TimeConversion(int n)
{
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        TempFolder folder;
        const std::string path = folder.File("old.vxr");
        int slot = -1, version = 0;
        if (CreateStoreFile(path.c_str(), 0, 6, 200) || OpenStoreFile(path.c_str(), &slot, 0, &version, FALSE))
            return -1;
        DocumentState state;
        if (!MakeOldDrawing(slot, n, &state)) return -1;
        const double t0 = Now();
        const int err = ConvertOldDocument(&state, slot);
        const double elapsed = Now() - t0;
        CloseStore(slot);
        if (err) {
            std::printf("conversion of %d objects failed: %d\n", n, err);
            return -1;
        }
        if (elapsed < best) best = elapsed;
    }
    return best;
}

}  // namespace

int main()
{
    InitBlockStoreDirectory(20);
    const double small = TimeConversion(4000);
    const double large = TimeConversion(16000);
    std::printf("older drawing, 4,000 objects:  %.1f ms\n", small);
    std::printf("older drawing, 16,000 objects: %.1f ms\n", large);
    if (small > 0) std::printf("ratio: %.2f\n", large / small);
    return 0;
}
