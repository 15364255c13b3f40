// Exchange services used by the model and the classes: the OLE data-changed notice and the
// rendering states. (Packed DIBs are made with the other pictures of a drawing.)
#include "exchange/exchange_services.h"


BOOL g_renderingMetafile = FALSE;
BOOL g_printing = FALSE;
BOOL g_printingWithoutColor = FALSE;
BOOL g_renderingForOle = FALSE;

void NotifyOleDataChanged(DocumentState* state)
{
    (void)state;   // no OLE objects exist for a drawing window yet
}
