// Flag words: the one way the program sets or clears bits of a 32-bit or 16-bit flags word.
#pragma once

#include <windows.h>

// With `set` non-zero the mask bits are set, with zero they are cleared.
void SetFlagBits(DWORD* word, DWORD mask, BOOL set);
void SetFlagBits16(WORD* word, WORD mask, BOOL set);
