// libFuzzer target: arbitrary bytes as a record stream, read record by record with blocks
// skipped, once from a memory image and once from a file; both must give the same records and
// the same end, and neither may read past its source. A third pass takes the image's limit from
// the input's own first u32, as a reader of a damaged image would.
#include <windows.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "documents/record_stream.h"

namespace {

struct Step {
    int result;
    WORD opcode;
    DWORD length;
    std::uint32_t check;   // a digest of the data, so that the two sources are compared whole
};

// Reads up to the stream's first error. A block opener whose data starts with an odd byte is
// skipped whole; other records are read one by one, as a reader that knows the block would.
std::vector<Step> Walk(HFILE file)
{
    std::vector<Step> steps;
    for (;;) {
        Step step{};
        step.result = ReadRecord(file, &step.opcode, &step.length);
        if (!step.result) {
            const BYTE* data = RecordData();
            for (DWORD i = 0; i < step.length; ++i) step.check = step.check * 31 + data[i];
            if ((step.opcode & kRecordBlock) && step.length && (data[0] & 1)) {
                steps.push_back(step);
                step = Step{};
                step.opcode = BlockEndOpcode(steps.back().opcode);
                step.result = SkipBlock(file, step.opcode);
            }
        }
        steps.push_back(step);
        if (step.result) return steps;
    }
}

bool Same(const std::vector<Step>& a, const std::vector<Step>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].result != b[i].result) return false;
        // A failed read may stop at a different place in a file than in an image.
        if (a[i].result) continue;
        if (a[i].opcode != b[i].opcode || a[i].length != b[i].length || a[i].check != b[i].check) return false;
    }
    return true;
}

std::vector<Step> FromImage(const std::uint8_t* data, std::size_t size, DWORD limit)
{
    DWORD total = (DWORD)size + 4;
    HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE, total);
    if (!image) return {};
    auto* base = static_cast<BYTE*>(GlobalLock(image));
    memcpy(base, &total, 4);
    if (size) memcpy(base + 4, data, size);
    GlobalUnlock(image);
    if (BeginRecordBuffer()) {
        GlobalFree(image);
        return {};
    }
    BeginMemoryStream(image, limit ? limit : total);
    std::vector<Step> steps = Walk(HFILE_ERROR);
    EndMemoryStream();
    EndRecordBuffer();
    GlobalFree(image);
    return steps;
}

std::vector<Step> FromFile(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/vx-record-fuzz-" + std::to_string(getpid()) + ".bin";
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) __builtin_trap();
    if (size && fwrite(data, 1, size, out) != size) __builtin_trap();
    fclose(out);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) __builtin_trap();
    if (BeginRecordBuffer()) __builtin_trap();
    std::vector<Step> steps = Walk(static_cast<HFILE>(reinterpret_cast<INT_PTR>(handle)));
    EndRecordBuffer();
    CloseHandle(handle);
    return steps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!Same(FromImage(data, size, 0), FromFile(data, size))) __builtin_trap();
    if (size >= 4) {
        DWORD limit = 0;
        memcpy(&limit, data, 4);
        FromImage(data, size, limit);
    }
    return 0;
}
