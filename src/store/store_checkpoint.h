// Store checkpoints: the undo journal kept in the backup tree, and its swap for undo and redo.
#pragma once

#include <windows.h>

#include "store/store_format.h"

// Discards the previous journal and opens a new checkpoint.
int BeginStoreCheckpoint(int slot);
// Frees the journal and closes the checkpoint.
int DiscardStoreCheckpoint(int slot);
// Exchanges the journaled and the current states. With keepRedo the checkpoint stays open
// holding the replaced states; without, the journal is discarded. 29 without a checkpoint.
int SwapStoreCheckpoint(int slot, BOOL keepRedo);

int FreeCheckpointTree(int slot);
int SwapCheckpointLevel(int slot, HGLOBAL mainPage, HGLOBAL backupPage, BOOL keepRedo, BOOL rootLevel);
// With retag (entries naming type pages) each page gets the parent key of its new root; 11
// when a page to retag is not loaded.
int SwapIndexEntries(int slot, StoreIndexEntry* mainEntry, StoreIndexEntry* backupEntry, BOOL retag);
