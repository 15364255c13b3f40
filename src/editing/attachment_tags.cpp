// The kind tag of an Attachment record.
#include "editing/attachment_tags.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {
constexpr char kTag[] = "$atype=";
constexpr size_t kTagLength = sizeof(kTag) - 1;
}  // namespace

int ParseAttachmentKind(const char* target, size_t size)
{
    const size_t end = strnlen(target, size);
    // The target's NUL, the tag and the digit must all lie inside the bytes given.
    if (end + 1 + kTagLength + 1 > size) return AttachDrawing;
    const char* tag = target + end + 1;
    for (size_t i = 0; i < kTagLength; ++i) {
        if (std::tolower(static_cast<unsigned char>(tag[i])) != kTag[i]) return AttachDrawing;
    }
    return tag[kTagLength] - '0';
}

void AppendAttachmentKind(char* target, int kind)
{
    char* tag = target + strlen(target) + 1;
    std::sprintf(tag, "%s%d", kTag, kind);
}
