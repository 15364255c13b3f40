// The program's help file: opening it at a topic.
#pragma once

#include <windows.h>

// Opens the help file at topic `context` (30010 the contents, -1 the search).
void ShowHelpContext(int context);

// The one call that reaches the help viewer; tests record the topics here.
typedef void (*HelpContextCall)(int context);
extern HelpContextCall g_helpContextCall;
