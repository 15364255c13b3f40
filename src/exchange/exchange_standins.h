// Printing, pictures, mail and the OLE server, as far as they are not built yet.
#pragma once

#include <windows.h>

void PrinterSetupCommand();
void PrintPreviewCommand();
// Prints the active document; `withDialog` asks first. Not built yet: prints nothing.
void PrintCommand(BOOL withDialog);
void ExportDrawingCommand();
void ImportPictureCommand();
void SendMailCommand(int all);
void FlushOleClipboard();
int CheckRegistryEntries();
int DefaultPrinterChanged(int remember);
// 0 when the server is ready. Without a class factory an embedded start would wait for ever
// for its document: it answers 1 then, so the start fails with "Unable to load Vexlor.".
int StartOleServer(BOOL embedded);
void StopOleServer();

// The data object's link source and the OLE clipboard: the calls are counted and the last
// link-source state kept, so that the copy commands can be followed.
void SetClipboardLinkSource(HWND view, BOOL on);
void SetOleClipboard();
extern int g_linkSourceCalls;
extern BOOL g_linkSourceOn;
extern int g_oleClipboardCalls;

