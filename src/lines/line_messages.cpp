// The answers the three line classes give alike.
#include "lines/line_messages.h"

#include "lines/line_hooks.h"
#include "lines/line_reshape.h"
#include "model/class_protocol.h"
#include "shapes/shape_attrs.h"
#include "shapes/shape_flip.h"
#include "text/text_format.h"

bool AnswerSharedLineMessage(Drawing* drawing, void* objects, int row, int message, int a, int b, void* p,
                             bool carriesText, LONG* result)
{
    *result = 0;
    switch (message) {
    case OM_TEXTFORMAT:
    case OM_TEXTSIZE:
    case OM_TEXTSTYLESET:
    case OM_TEXTSTYLECLEAR:
    case OM_TEXTCOLOR:
    case OM_TEXTALIGN:
    case OM_TEXTFLAG:
    case OM_TEXTLARGER:
    case OM_TEXTSMALLER:
    case OM_TEXTINDENT:
        if (!carriesText)
            return false;
        if (row >= 0)
            *result = ApplyObjectTextFormat(drawing, static_cast<ObjectList*>(objects), row, message,
                                            static_cast<const TextFormatRequest*>(p));
        return true;
    case OM_SETLINECOLOR:
        if (p)
            SetObjectLineColor(drawing, objects, row, a, *static_cast<const COLORREF*>(p));
        return true;
    case OM_GETLINEATTRS:
        if (p)
            MergeLineAttributes(static_cast<DrawObject*>(p), AddressedObject(objects, row));
        return true;
    case OM_CANLINK:
        *result = LinesMayLink(drawing);
        return true;
    case OM_SETOPTIONS:
        *result = SetObjectOptionFlags(drawing, objects, row, static_cast<DWORD>(a), b);
        return true;
    case OM_NOP:
        if (p)
            *static_cast<INT32*>(p) = 0;
        return true;
    default:
        return false;
    }
}
