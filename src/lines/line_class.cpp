// The class handler of straight lines (class 1).
#include "lines/line_class.h"

LONG CALLBACK SED_LineDHandler(HDC, Drawing*, void*, int, int, int, int, void*)
{
    return 0;
}
