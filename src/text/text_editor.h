// The in-place text editor as the drawing model uses it: the TENClass window, its state record
// and the operations the object classes call. The editor here keeps the text and its character
// runs and takes replacements; layout, caret and typing come with the full editor.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "text/ten_messages.h"
#include "text/text_records.h"

struct DocumentState;


constexpr DWORD TenModified = TenOptModified;
constexpr int kTenStateWord = 0;
constexpr int kLargestText = 0x7FFF;   // a TextBlock stays within this many bytes


// Opens the editor on the text of the object at `row` (a line's label) as a child of `view`
// and records it in `state`. Locked objects are refused (0, nothing opened). Until the full
// editor lands a line without a label opens nothing either: the label is created with it.
int BeginObjectTextEdit(HWND view, DocumentState* state, int row, int x, int y, int mode);

// The editor's state block (window word 0), null for another window.
HGLOBAL GetTenState(HWND editor);

// Replaces the selection by `string`; each new character takes the style bits of the replaced
// character at its offset (the last one past the end, the character before an empty
// selection). `caret` receives the offset after the new text. 0, or ErrOutOfMemory also when
// the text would grow beyond kLargestText.
int TenReplaceSelectionKeepStyle(HWND editor, const char* string, int* caret);

// Stores the editor's text into the text record of the edited object (its TextBlock without
// lines: the layout makes them again).
int StoreEditorText(HWND editor, Drawing* drawing, ObjectList* objects);
