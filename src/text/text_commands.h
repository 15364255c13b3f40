// The Text menu's commands and the Edit commands while text is edited.
#pragma once

#include <windows.h>

void CmdEditOrTextStyle(int operation);
