// The class handler of line arrays (class 3).
#include "lines/array_class.h"

LONG CALLBACK SED_ArrayHandler(HDC, Drawing*, void*, int, int, int, int, void*)
{
    return 0;
}
