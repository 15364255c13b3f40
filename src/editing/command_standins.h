// Editing commands that are not built yet: each does nothing.
#pragma once

#include <windows.h>

// Applies one class message with one value to every selected object of the active drawing.
void ApplyStyleCommand(int message, int value);
void CmdEditOrTextStyle(int operation);
void DoDrawCommand(int id, int value);
void RotateSelectionCommand(int angle);
void OpenAttachmentCommand();
void AttachFileCommand();
void ClearAttachmentsCommand();
void DoColorsAndShadows();
void DoRulerGridCommand();
