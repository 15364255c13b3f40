// Editing commands that are not built yet: each does nothing.
#include "editing/command_standins.h"

void ApplyStyleCommand(int, int) {}
void CmdEditOrTextStyle(int) {}
void DoDrawCommand(int, int) {}
void RotateSelectionCommand(int) {}
void OpenAttachmentCommand() {}
void AttachFileCommand() {}
void ClearAttachmentsCommand() {}
void DoColorsAndShadows() {}
void DoRulerGridCommand() {}
