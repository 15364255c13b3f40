// The text records of a drawing file (0x8040 .. 0x4040): an object's text with its character
// runs and paragraph formats, written as changes against a carried format.
//
// Layout of a text block in the file: 0x8040 (32-byte header), 0x41 (the text, no terminator),
// 0x42 (run entries, only when some run differs from the format carried before it), one 0x43
// per paragraph format, 0x4040. Lines and segments never reach the file; a read block keeps one
// line and one segment and is not laid out (layoutWidth -1).
//
// Invariants of a block read (whatever the file holds):
//  1. at least one run, one to 500 paragraph formats, and no more than 0x7FFF bytes in all;
//     a block past that, or whose record id is out of range or taken, is skipped whole and
//     counted as a lost text;
//  2. runs cover the text in order: starts never fall and lie within the text, every count
//     reaches the next start (the last one the text's end);
//  3. unknown change codes are ignored; surplus entries, formats and text bytes are not stored.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "text/text_records.h"

struct DocumentState;

constexpr WORD kOpText = 0x8040;
constexpr WORD kOpTextBytes = 0x41;
constexpr WORD kOpRuns = 0x42;
constexpr WORD kOpParagraphFormat = 0x43;

constexpr DWORD kTextHeaderRecordSize = 32;
constexpr int kRunChangeCodes = 9;
constexpr DWORD kMaxRunEntrySize = 6 + 6 * kRunChangeCodes;
constexpr int kParagraphFields = 11;
constexpr DWORD kMaxParagraphRecordSize = 4 + 4 * kParagraphFields;

// The base formats of object text while a drawing block is read or written: the coding of an
// object's first run and first paragraph format starts from them.
extern TextRun g_defaultCharFormat;
extern ParagraphFormat g_defaultParaFormat;
// The paragraph format every drawing starts from: 0, 0, 0, 0, 0, 0, 0, 120, 0, 150, 1.
ParagraphFormat StandardParagraphFormat();

// Writes 0x8040 through 0x4040 for the TextBlock payload (`payloadSize` bytes) of record
// `textRecordId`. A payload shorter than its counts say is StoreMemoryTooSmall.
int WriteTextBlock(HFILE file, const TextBlock* block, LONG payloadSize, int textRecordId);
// Reads through 0x4040 with the 0x8040 record in the record buffer and leaves a new record 114
// under the id the header gives, named by the object's textId; a damaged block (see 1 above)
// leaves the object without text.
int ReadTextBlock(HFILE file, HWND view, DocumentState* state, DrawObject* object);

// Builds one run entry of `run` against `carried` (which takes the changes) into `entry` (room
// kMaxRunEntrySize): its size, 6 when the run brings no change.
DWORD EncodeCharFormatRun(const TextRun* run, TextRun* carried, BYTE* entry);
// Decodes the 0x42 record in the record buffer into `runs` (room for `room`) over a text of
// `textLength` bytes, starting from g_defaultCharFormat; with `block`, runs of its runCount left
// over become zero-length copies of the last one at its end. Returns the runs decoded.
int DecodeCharFormatRuns(TextBlock* block, TextRun* runs, int room, int textLength);
// Builds the 0x43 record of format `index` against `carried` (which takes the changes) into
// `record` (room kMaxParagraphRecordSize): its size.
DWORD EncodeParaFormat(const ParagraphFormat* format, ParagraphFormat* carried, BYTE* record,
                       int index);
// Applies the 0x43 record in the record buffer to a table of `formatCount` formats: the formats
// from *previousIndex on take `carried`, the record's format takes its pairs and becomes the
// carried format, and so do the formats after it; *previousIndex becomes the record's index.
// Without a table (`formats` null) the pairs go to `carried` itself, whatever the index.
int DecodeParaFormats(ParagraphFormat* formats, int formatCount, ParagraphFormat* carried,
                      int* previousIndex);
