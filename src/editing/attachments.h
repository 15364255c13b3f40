// Attachments of objects: the record, the marker, the dialog that edits one and the three
// commands of Draw > Attach.
#pragma once

#include <windows.h>

#include "editing/attachment_tags.h"
#include "model/drawing_records.h"
#include "store/store_format.h"

struct DocumentState;

#pragma pack(push, 1)
// Record (117, object id) of the document's store. The payload holds the target (at most 260
// characters) and its NUL, then "$atype=", the kind digit and a NUL; the rest is unused. The
// commands make the record this size and enlarge a smaller one; a larger one keeps its size.
struct Attachment {
    BlockHeader header;
    char payload[kAttachmentPayloadSize];
};
static_assert(sizeof(Attachment) == 287);
#pragma pack(pop)

// Store record ids end here, below the largest object id.
constexpr int kMaxAttachmentId = 32767;

// 1 when the store holds an Attachment record with the object's id, else 0.
int HasAttachment(int storeSlot, const DrawObject* object);

// Draws the attachment marker (white box, black frame, a cross) unless decorations are off.
void DrawAttachmentMarker(HDC dc, const RECT* rect);

// What the dialog "SETURL" edits: its window data.
struct AttachDialogData {
    char target[kMaxAttachmentTarget + 1];
    int kind;   // AttachmentKind
};

// Runs "SETURL" over the frame: 1 after OK with `target` (261 bytes) and `kind` copied back,
// 0 after Cancel.
int RunAttachDialog(char* target, int* kind);
// The one place the dialog is shown; tests answer here.
typedef int (*AttachDialogPrompt)(char* target, int* kind);
extern AttachDialogPrompt g_attachDialogPrompt;

// The dialog procedure of "SETURL"; its lParam at creation is an AttachDialogData.
INT_PTR CALLBACK SetUrlDlgHandler(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Switches the dialog to the kind of radio button `button` (1061-1064).
void SelectAttachmentKind(HWND dialog, int button);

// Edits the attachment of object `objectId` in the dialog and stores it as one undoable
// change: 0 stored, 1 cancelled, else the error (after warning 17). `record` is the object's
// existing record or null.
int EditAttachment(HWND view, DocumentState* state, HGLOBAL record, int objectId, char* target, int* kind);

// The commands on the active document, and the same on a given view.
void OpenAttachmentCommand();
void AttachFileCommand();
void ClearAttachmentsCommand();
void OpenAttachedFile(HWND view);
void AttachFile(HWND view);
void ClearAttachments(HWND view);

// After an attached drawing opened: cascades the documents when the active one is maximised,
// unless attached drawings open maximised.
void CascadeAfterAttachedDrawing();

// How attached web pages, documents and programs are started; tests answer here.
typedef HINSTANCE (*ShellExecuteCall)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder,
                                      INT show);
typedef UINT (*WinExecCall)(LPCSTR commandLine, UINT show);
extern ShellExecuteCall g_shellExecuteCall;
extern WinExecCall g_winExecCall;

// Set once the attachment hint has been shown in this run.
extern BOOL g_attachHintShown;
