// Font lists and maps made from a few named faces, for the tests of fonts and font tables.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

#include "text/font_list.h"

struct TestFace {
    const char* face;
    int charset;
    int pitchAndFamily;
    int kind;
};

inline HGLOBAL MakeFontList(const std::vector<TestFace>& faces, int defaultIndex = 0)
{
    HGLOBAL list = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead) + faces.size() * sizeof(FontListEntry));
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    head->count = (INT32)faces.size();
    head->defaultIndex = defaultIndex;
    for (size_t i = 0; i < faces.size(); ++i) {
        FontListEntry& entry = FontListEntries(head)[i];
        lstrcpynA(entry.logFont.lfFaceName, faces[i].face, LF_FACESIZE);
        entry.logFont.lfCharSet = (BYTE)faces[i].charset;
        entry.logFont.lfPitchAndFamily = (BYTE)faces[i].pitchAndFamily;
        entry.logFont.lfHeight = 16;
        entry.kind = faces[i].kind;
        entry.heightAtSize1 = 16;
        entry.cacheIndex = -1;
    }
    GlobalUnlock(list);
    return list;
}

// A map block of exactly its slots.
inline HGLOBAL MakeFontMap(const std::vector<INT32>& slots)
{
    HGLOBAL map = GlobalAlloc(GMEM_MOVEABLE, sizeof(FontMapHead) + slots.size() * sizeof(INT32));
    auto* head = static_cast<FontMapHead*>(GlobalLock(map));
    head->count = (INT32)slots.size();
    if (!slots.empty()) memcpy(FontMapSlots(head), slots.data(), slots.size() * sizeof(INT32));
    GlobalUnlock(map);
    return map;
}

inline std::vector<INT32> ReadMap(HGLOBAL map)
{
    auto* head = static_cast<FontMapHead*>(GlobalLock(map));
    std::vector<INT32> slots(FontMapSlots(head), FontMapSlots(head) + head->count);
    GlobalUnlock(map);
    return slots;
}
