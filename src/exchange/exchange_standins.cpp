// Printing, pictures, mail and the OLE server, as far as they are not built yet.
#include "exchange/exchange_standins.h"

#include "exchange/page_tiles.h"

void PrinterSetupCommand() {}
void PrintPreviewCommand() {}
void PrintCommand(BOOL) {}
void ExportDrawingCommand() {}
void ImportPictureCommand() {}
void SendMailCommand(int) {}
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

