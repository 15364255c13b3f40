// String-table access for the whole program.
#include "model/resource_strings.h"

#include "store/results.h"

HINSTANCE g_hInstance = nullptr;

int LoadResString(UINT id, char* buffer)
{
    buffer[0] = '\0';
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    // LoadStringA counts the terminating zero in its buffer size: 261 holds 260 characters.
    if (LoadStringA(instance, id, buffer, 261) <= 0) {
        buffer[0] = '\0';
        return ErrStringMissing;
    }
    return 0;
}
