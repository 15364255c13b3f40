// The in-place text editor as the object classes use it: the TENClass window's state record and
// the replacement of its selection keeping the styles of the replaced characters.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "text/object_text.h"
#include "text/ten_messages.h"
#include "text/text_records.h"

constexpr DWORD TenModified = TenOptModified;
constexpr int kTenStateWord = 0;
constexpr int kLargestText = 0x7FFF;   // a TextBlock stays within this many bytes

// The editor's state block (window word 0), null for another window.
HGLOBAL GetTenState(HWND editor);

// Replaces the selection by `string`; each new character takes the style bits of the replaced
// character at its offset (the last one past the end, the character before an empty
// selection). `caret` receives the offset after the new text. 0, or ErrOutOfMemory also when
// the text would grow beyond kLargestText.
int TenReplaceSelectionKeepStyle(HWND editor, const char* string, int* caret);
