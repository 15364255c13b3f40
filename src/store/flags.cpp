// Setting and clearing bits of flag words.
#include "store/flags.h"

void SetFlagBits(DWORD* word, DWORD mask, BOOL set)
{
    *word = set ? (*word | mask) : (*word & ~mask);
}

void SetFlagBits16(WORD* word, WORD mask, BOOL set)
{
    *word = static_cast<WORD>(set ? (*word | mask) : (*word & ~mask));
}
