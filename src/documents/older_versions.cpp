// Documents of older versions (refused until their readers exist).
#include "documents/older_versions.h"

int ConvertOldDocument(DocumentState*, int)
{
    return 1003;
}
