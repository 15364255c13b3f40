// Printing, pictures, mail and the OLE server, as far as they are not built yet.
#include "exchange/exchange_standins.h"

#include "exchange/page_tiles.h"

void PrinterSetupCommand() {}
void PrintPreviewCommand() {}
void PrintCommand(BOOL) {}
void ExportDrawingCommand() {}
void ImportPictureCommand() {}
void SendMailCommand(int) {}
void SetBackgroundColor(int, COLORREF) {}
void FlushOleClipboard() {}
int CheckRegistryEntries() { return 0; }
int DefaultPrinterChanged(int) { return 0; }

int StartOleServer(BOOL embedded)
{
    return embedded ? 1 : 0;
}

void StopOleServer() {}

int g_linkSourceCalls = 0;
BOOL g_linkSourceOn = FALSE;
int g_oleClipboardCalls = 0;

void SetClipboardLinkSource(HWND, BOOL on)
{
    ++g_linkSourceCalls;
    g_linkSourceOn = on;
}

void SetOleClipboard()
{
    ++g_oleClipboardCalls;
}

HBITMAP RenderDrawingBitmap(HWND, int) { return nullptr; }
HGLOBAL GetPictureMetafilePict(Drawing*, int) { return nullptr; }
HGLOBAL GetDrawingMetafilePict(Drawing*, HPALETTE, int, int, int) { return nullptr; }

BOOL ComputePageTiles(DocumentState*, int, int* firstRow, int* rows, int* firstColumn, int* columns, RECT* extent)
{
    *firstRow = *rows = *firstColumn = *columns = 0;
    SetRectEmpty(extent);
    return FALSE;
}
