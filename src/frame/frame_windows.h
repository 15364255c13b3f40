// The frame's windows as the documents use them: the frame and its MDI client, the document
// window (SEDocument), the drawing view (SEScroll), the rulers; their layout, menus, zoom,
// colours, and the questions and dialogs that a test answers in place of a person.
#pragma once

#include <windows.h>

#include "documents/file_dialogs.h"

struct DocumentState;

// Registers MDMainClass, MDDocumentClass, MDScrollClass and the three ruler classes once.
int RegisterFrameClasses();
// Creates the frame (MDMainClass) and its MDI client into g_frameWindow and g_mdiClient,
// shown or hidden; 0 or 10002. DestroyMainFrame destroys them and clears both.
int CreateMainFrame(BOOL visible);
void DestroyMainFrame();

LRESULT CALLBACK SEMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SEDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SEScroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Private scroll codes of the view: 99 scrolls by the signed step in the high word, 98 by the
// signed distance kept within the scroll range.
constexpr int kScrollByStep = 99;
constexpr int kScrollByDistance = 98;

// Lays out the document window's children: here the view fills the client area.
int RelayoutDocumentWindow(HWND documentWindow);
// With a window and 1 enables the document menus for it; with none and 0 greys them.
void UpdateMenusOnActivate(HWND documentWindow, int flag);
// After a zoom change tells the open text editor (TEN_SETZOOM) and sizes it to match.
void ApplyViewZoom(HWND view, int zoom);
// Rebuilds (firstRow 0) or extends the colour list (100, 106) of the state's store from the
// drawing's style colours and each object's line, fill and text colours; at most 256.
int CollectDocumentColors(DocumentState* state, int firstRow);

// A question: the string in a task-modal box with the application title; shown even while
// warnings are suppressed or the frame is hidden. The button pressed, 0 when the string is
// missing.
int ShowMessageById(UINT stringId, UINT flags);
// A warning of the string followed by `text`, as ShowWarningById.
void ShowWarningWithText(UINT stringId, LPCSTR text);

