// Attachments of objects: the marker, the record test and the three Draw-menu commands.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// 1 when the store holds an Attachment record (type 117) with the object's id, else 0.
int HasAttachment(int storeSlot, const DrawObject* object);

// Draws the attachment marker (white box, black frame, a cross) unless decorations are off.
void DrawAttachmentMarker(HDC dc, const RECT* rect);

void OpenAttachmentCommand();
void AttachFileCommand();
void ClearAttachmentsCommand();
