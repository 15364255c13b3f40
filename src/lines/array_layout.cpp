// Stand-ins until the module is written.
#include "lines/array_layout.h"

int LayoutArray(Drawing*, ObjectList*, int)
{ return 0; }

int ArrayMemberMessage(Drawing*, ObjectList*, int, int, int, int)
{ return 0; }

int MemberSideCode(Drawing*, ObjectList*, int, int, const ArrayData*, int)
{ return 0; }

void RefreshMemberEntry(Drawing*, ObjectList*, int, ArrayData*, int, int, int)
{}

int FishboneOffset(const ArrayData*)
{ return 0; }

int ArrayHookedEnd(const DrawObject*)
{ return 0; }
