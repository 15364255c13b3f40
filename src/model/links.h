// The link graph: hooks held by holders in their two HookEntry slots, and the drawing's
// LinkIndex, the reverse index of all hooks sorted by target id (at most 6000 entries).
//
// Invariant: every HookEntry in use has exactly one LinkIndex entry with its target id and its
// holder's id, and every entry names a hook in use. A holder may hold both hooks on one target
// (two entries with the same pair). Rows stored beside ids are hints; the id is the truth.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// The hook slots of an object that walks may read: stored counts are checked on open, and a
// count outside 0..2 never lets a walk leave the two slots.
inline int HookSlotsInUse(const DrawObject& object)
{
    return object.hookCount < 0 ? 0 : (object.hookCount > 2 ? 2 : object.hookCount);
}

// Row of the object with `id`: the hint when it is within the list and carries the id, else
// the first row that does; -1 when absent.
int FindObjectById(ObjectList* objects, int id, int rowHint);

// Position of the first entry of `targetId`; when it has none: -1 with `wantAbsent`, else the
// position where such an entry would be inserted.
int FindLinkIndex(LinkIndex* index, int targetId, BOOL wantAbsent);

// Position of the last entry with the pair (target, holder); -1 when none.
int FindLinkEntry(Drawing* drawing, int targetId, int holderId);

// First hook slot whose holder-side code is `code`; -1 when that end is free.
int FindHookByEndCode(const DrawObject* object, int code);

// True when the object holds exactly one hook with a holder-side code above 304.
BOOL HasSingleFixedHook(const DrawObject* object);

// 1 when the holder holds two hooks and one is on a line array (the given one when
// `arrayRow` >= 0): `otherRow` is then the row of the object its other hook is on (-1 gone).
int FindOtherHookedEnd(ObjectList* objects, int holderRow, int arrayRow, int* otherRow);

// From `row`, follows objects that hold exactly one hook to their target; returns the first
// row holding no hook or two. A ring of single hooks ends at an object already passed.
int FollowSingleHookChain(ObjectList* objects, int row);

// Inserts the LinkIndex entry of one hook (10011 at 6000 entries).
int AddLink(Drawing* drawing, int holderRow, int slot);

// Removes every hook of the holder on `targetId`, telling the holder (54) per slot.
void RemoveHooksToObject(Drawing* drawing, ObjectList* objects, int holderRow, int targetId);

// Removes the links of a target from both sides: of every holder (holderId 0) or of one.
int RemoveLinks(Drawing* drawing, int targetId, int holderId);

// Makes, moves or removes one hook: `holderRow` -1 is the last object, `slot` -1 a new slot,
// `targetRow` -1 removes the slot's hook.
int AttachHook(Drawing* drawing, int holderRow, int slot, int targetRow, int pointCode, int attachX,
               int attachY);

// ORs `bits` into the links of a target and marks its group (when `groupRow` >= 0) stale.
void MarkLinksChanged(Drawing* drawing, int targetId, DWORD bits, int groupId, int groupRow);

// Told by MarkLinksChanged which index positions [first, end) it flagged with `bits`, so that a
// running propagation keeps its work list without walking the whole index.
void NoteLinksFlagged(Drawing* drawing, int first, int end, DWORD bits);

// 1 with the holder's slot of the entry's link; 0 when the target is gone (the entry gets
// flag 0x2) or the holder holds no slot on it.
int ResolveLinkEntry(ObjectList* objects, int holderRow, LinkEntry* entry, int* slot);

// Revalidates the whole index after a load, paste or delete.
int RebuildLinkIndex(Drawing* drawing);

// Settles every flagged link so that hooked objects follow their targets.
int PropagateLinks(Drawing* drawing);
