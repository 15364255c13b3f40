// The class handler of elbow connectors (class 2).
#include "lines/connector_class.h"

LONG CALLBACK SED_SegLHandler(HDC, Drawing*, void*, int, int, int, int, void*)
{
    return 0;
}
