// The kind tag of an Attachment record (type 117): the target, its NUL, then "$atype=" and the
// kind as decimal digits with a NUL. A record without the tag is of kind 0 (a drawing).
#pragma once

#include <cstddef>

constexpr int kAttachmentPayloadSize = 271;   // the payload the commands give every record
constexpr int kMaxAttachmentTarget = 260;     // characters of the path or web address

enum AttachmentKind { AttachDrawing = 0, AttachWebPage = 1, AttachDocument = 2, AttachProgram = 3 };

// The kind tagged after the target's NUL within the first `size` bytes of `target`: the
// character after "$atype=" (compared without regard to case) minus '0'; 0 when the tag is
// missing or does not fit.
int ParseAttachmentKind(const char* target, size_t size = kAttachmentPayloadSize);

// Writes "$atype=" and `kind` with "%d", then a NUL, right after the target's NUL. The caller
// gives room for the target, 7 characters, the digits and the NUL.
void AppendAttachmentKind(char* target, int kind);
