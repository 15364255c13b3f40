// The program-wide result codes and the checks that turn system results into them.
#pragma once

#include <windows.h>

// Every operation returns 0, a StoreError (1-33) or an ErrorCode (10001...). Callers stop at
// the first non-zero result and pass it up unchanged.
enum ErrorCode {
    ErrStringMissing = 10001,    // a string-table text was not found
    ErrWindowNotCreated = 10002, // creating a window or a window class failed
    ErrFileIO = 10003,           // a file read, write or seek failed, or a store file did not open
    ErrOutOfMemory = 10004,      // allocating or growing a memory block failed
    ErrNoPrinterIC = 10005,      // making an information context for the printer failed
    ErrFilePosition = 10006,     // the system refused to set a file's position
    ErrFileNotOpened = 10007,    // opening a file failed
    ErrLaterVersion = 10008,     // the file was written by a later version
    ErrOutsideDrawing = 10009,   // objects would leave the drawing area
    ErrTooManyObjects = 10010,   // more than 16,000 objects
    ErrTooManyLinks = 10011,     // more than 6000 links
    ErrBadMetafile = 10013,      // the metafile holds records the program refuses
};

// Bare results of 1 that some operations give for conditions of their own.
constexpr int kNoDocumentState = 1;   // the view holds no DocumentState
constexpr int kNoIdLeft = 1;          // every object id is in use
constexpr int kBlockNotResized = 1;   // a memory block could not be resized

// The block store's own results.
enum StoreError {
    StoreBadShiftOrLength = 1,    // shift outside 0-10, or the file's length could not be set
    StoreDirectoryFull = 2,       // no free slot in the store directory
    StoreSizeMismatch = 3,        // a block's size differs from its entry; free lists disagree on a size
    StoreOffsetMismatch = 4,      // a block's offset differs from its entry
    StoreParentMismatch = 5,      // a block's parent key differs from the page that lists it
    StoreBaseMismatch = 6,        // the descriptor's base offset is not where it was read
    StoreNotAStore = 7,           // the marks are not 2 and -1
    StoreSlotOutOfRange = 8,      // slot negative or not below the slot count
    StoreSlotNotOpen = 9,         // the slot is not open
    StoreFreeListsDisagree = 10,  // an extent of one free list is missing from the other
    StoreKeyMissing = 11,         // the record type or id does not exist
    StoreKeyExists = 12,          // the key exists already, or the page is an absent-marker
    StoreBlockTooSmall = 13,      // a block smaller than its 16-byte header
    StoreAlreadyFree = 14,        // the space to be freed is already free
    StoreEntryMissing = 15,       // the entry to remove or move is missing; a block's key differs
    StoreDuplicateOffset = 16,    // two blocks or extents at one offset, or an extent listed twice
    StoreBlockOverlap = 17,       // a block runs into the next one
    StoreWrongSlot = 18,          // a loaded block carries another slot number
    StoreLostBytesMismatch = 19,  // the holes do not add up to the lost-bytes counter
    StoreSizeListOrder = 20,      // the size list is out of order
    StoreOffsetListOrder = 21,    // the offset list is out of order
    StoreKeyOrder = 22,           // keys of an index page are out of order
    StoreNegativeType = 23,       // a negative record type
    StoreNoRoom = 24,             // entry capacity reached, or no free id (or run of ids)
    StoreMemoryTooSmall = 25,     // a memory block smaller than the size in its header
    StoreIndexOutOfRange = 26,    // an enumeration index out of range
    StoreCompactionFailed = 27,   // compaction failed while moving blocks
    StoreFileLengthMismatch = 28, // the file's length differs from the end mark
    StoreNoCheckpoint = 29,       // no checkpoint is open
    StoreEntryCountMismatch = 30, // the entry count differs from the entries found
    StoreSizeTooLarge = 31,       // a size above 0x8FFFFFFF bytes
    StorePageFull = 32,           // the index page holds 4500 entries
    StoreMemoryOnly = 33,         // the operation needs a file and the store has none
};

// 10004 when an allocation or lock gave null, else 0.
int CheckAlloc(const void* handleOrAddress);
// 10003 when a file call returned its failure value -1, else 0.
int CheckFileHandle(int value);
// 1 when a print-spooler call returned zero or less, else 0.
int PrintCallFailed(int value);
