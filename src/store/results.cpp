// Conversions of system results into the program's result codes.
#include "store/results.h"

int CheckAlloc(const void* handleOrAddress)
{
    return handleOrAddress ? 0 : ErrOutOfMemory;
}

int CheckFileHandle(int value)
{
    return value == -1 ? ErrFileIO : 0;
}

int PrintCallFailed(int value)
{
    return value <= 0 ? 1 : 0;
}
