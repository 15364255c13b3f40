// Stand-ins until the module is written.
#include "lines/array_styles.h"

void SetArrayStyle(Drawing*, ObjectList*, int, const INT32*)
{}

int FlipArray(Drawing*, ObjectList*, int, int)
{ return 0; }
