// A document's file side and its window: the DocumentFile record, the working copy, the limit
// of open documents, the untitled numbers, and the creation of a document window.
#pragma once

#include <windows.h>

#pragma pack(push, 1)

// One per document window: a movable block in window long 0 of the MDDocumentClass window,
// freed when the window is destroyed.
struct DocumentFile {
    INT32 untitledNumber;   // N of Untitled N; 0 for a document bound to a file
    char path[262];         // the file; a template's path for a document made from one
    char workPath[262];     // the working copy (a temporary file)
    INT32 fileHandle;       // the document's file while held open, else -1
    INT32 workHandle;       // the working copy, open read-write for the document's life
    INT32 storeSlot;        // the working copy's store
    INT32 olderVersion;     // written by an older version: a save in place asks first
    INT32 keptOpen;         // held open with write sharing denied
    INT32 readOnly;         // could only be opened for reading: no save in place
};
static_assert(sizeof(DocumentFile) == 552);

#pragma pack(pop)

// Why a document window is created.
enum DocumentMode {
    DocModeOpen = 1,            // open a drawing file (or an older store file)
    DocModeFromTemplate = 2,    // new document from a template file
    DocModeOleLink = 94,        // open a named file for an OLE client that links to it
    DocModeOleFromTemplate = 97,// new embedded object from the default template
    DocModeOleBlank = 98,       // new embedded object, blank
    DocModeBlank = 99,          // new blank document
};

constexpr int kDocumentLimit = 32;
constexpr int kDocumentFileLong = 0;

// The last number handed out to an untitled document; 0 at start.
extern int UntitledCounter;

// The document window's DocumentFile block, null when it has none.
HGLOBAL GetDocumentFileHandle(HWND documentWindow);
// The document window's view (its first child), or none.
HWND GetDocumentView(HWND documentWindow);
// Gives an untitled number back: the counter is lowered when it equals the number.
void ReturnUntitledNumber(int number);

HWND CreateDocumentWindow(LPCSTR path, int mode);
int OpenOrActivateDocument(LPCSTR path, int mode);
BOOL CheckDocumentLimit(BOOL silent, int* count);
int CreateDocumentFile(HWND documentWindow, int untitledNumber, BOOL asTemplate, BOOL currentFormat, LPCSTR path,
                       int* storeSlot, int* fileHandle);
int CopyFileContents(LPCSTR sourcePath, HFILE sourceHandle, BOOL sourceOpen, LPCSTR destinationPath,
                     HFILE destinationHandle, BOOL destinationOpen);
BOOL IsFixedOrRemoteDrive(LPCSTR path);
// The titled document window with this path (any letter case), or none.
HWND FindDocumentWindow(LPCSTR path);

// The file name and extension of a path (after its last \\, / or :).
const char* FileNamePart(LPCSTR path);

// Opens `path` read-write with write sharing denied; -1 when refused.
HFILE OpenHeldFile(LPCSTR path);
// The warning of an opening failure: 7 -> 5, 10006 -> 6, 10007 -> 7, 10008 -> 4, 2 -> none (0),
// anything else 8.
UINT OpenFailureWarning(int result);
