// Whole drawings without a document file: the document copied into the private clipboard
// store, the clipboard store saved aside and put back, a drawing rendered as an image or a
// picture, and a document window reloaded from a store image or a drawing-file image.
//
// A store image is a movable block: a u32 byte count n, then n bytes, the image of a store file
// from its first byte. A drawing-file image is the memory image WriteDrawingFile makes, its
// first u32 its length.
#pragma once

#include <windows.h>

struct DocumentState;

// Render formats of RenderDrawingData; any other value asks for a drawing-file image.
enum RenderFormat { RenderBitmap = 2, RenderMetafilePicture = 3 };

// Writes the document's whole store over the clipboard store and reopens it: 0, 1 without a
// clipboard store, or an error. A failed flush of the document leaves the clipboard store as it
// was; a failed copy or reopening leaves none (slot -1).
int CopyDrawingToClipboardStore(HWND view, DocumentState* state);

// With an empty `path` (MAX_PATH bytes) saves the clipboard store aside into a new "VXTMP"
// temporary file named in `path`; with a path puts that file back as the clipboard store and
// deletes it. 0 and nothing done while the clipboard offers no "VXPICT"; 1 without a clipboard
// store. A failure empties the clipboard.
int ExchangeClipboardStoreFile(char* path);

// With a view: the document as a drawing-file image (format ignored). Without: the clipboard
// store's drawing as a bitmap (2), a metafile picture (3) or a drawing-file image.
int RenderDrawingData(HWND view, DocumentState* state, HGLOBAL* out, int format);

// Replaces the content of a document window by a store image or the store file at `path`:
// 0, 1 (no view or DocumentFile), -1 (the working copy cannot be positioned or written), or an
// error; the reloaded store must pass the store's check.
int ReloadDocumentFromStoreImage(HWND documentWindow, HGLOBAL image, LPCSTR path);

// Replaces the content of a document window by a drawing-file image or file: 0, 1 or an error.
int ReloadDocumentFromDrawingData(HWND documentWindow, HGLOBAL image, LPCSTR path);
