// The class handler of elbow connectors (class 2).
#include "lines/connector_class.h"

LONG CALLBACK SED_SegLHandler(HDC, Drawing*, void*, int, int, int, int, void*)
{
    return 0;
}

// The connector's path record comes with its routing; until then a converted line keeps no path.
int CreateConnectorPath(Drawing*, DrawObject*)
{
    return 0;
}

int ApplyConnectorLineType(Drawing*, void*, int, int, int)
{
    return 0;
}
