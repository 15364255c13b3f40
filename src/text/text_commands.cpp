// The Text menu's commands.
#include "text/text_commands.h"

void CmdEditOrTextStyle(int) {}
