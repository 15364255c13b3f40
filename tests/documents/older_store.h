// Store files in the layouts of older versions, built record by record through the store API
// for the tests of their conversion.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "documents/older_layouts.h"
#include "store/block_store.h"

using Bytes = std::vector<BYTE>;

template <typename T>
void PutAt(Bytes& bytes, size_t offset, T value)
{
    if (bytes.size() < offset + sizeof value) bytes.resize(offset + sizeof value);
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T>
T At(const Bytes& bytes, size_t offset)
{
    T value{};
    if (offset + sizeof value <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    else
        ADD_FAILURE() << "offset " << offset << " past " << bytes.size() << " bytes";
    return value;
}

template <typename T>
Bytes BytesOf(const T& value)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    return Bytes(p, p + sizeof value);
}

// An open store file; records are put as payloads (the 16-byte header is the store's).
class OldStore {
public:
    explicit OldStore(const std::string& path) : path_(path)
    {
        EXPECT_EQ(0, CreateStoreFile(path.c_str(), 0, 6, 200));
        Open();
    }
    ~OldStore() { Close(); }
    int slot() const { return slot_; }

    void Open()
    {
        int version = 0;
        EXPECT_EQ(0, OpenStoreFile(path_.c_str(), &slot_, 0, &version, FALSE));
    }
    void Close()
    {
        if (slot_ >= 0) CloseStore(slot_);
        slot_ = -1;
    }
    // Adds the record, replacing one of the same key.
    void Put(int type, int id, const Bytes& payload)
    {
        AddRecordType(slot_, type);
        DeleteRecordById(slot_, type, id);
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, AddRecord(slot_, type, id, static_cast<DWORD>(16 + payload.size()), &block));
        BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
        if (!payload.empty()) std::memcpy(bytes + 16, payload.data(), payload.size());
        GlobalUnlock(block);
        ASSERT_EQ(0, MarkBlockDirty(block));
        ReleaseBlock(block);
    }
    void Drop(int type, int id) { DeleteRecordById(slot_, type, id); }
    // The record's payload, empty when it cannot be loaded.
    Bytes Payload(int type, int id) const
    {
        HGLOBAL block = nullptr;
        if (LoadRecord(slot_, type, id, &block)) return {};
        LONG size = GetBlockSize(block);
        const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(block));
        Bytes out(bytes + 16, bytes + size);
        GlobalUnlock(block);
        ReleaseBlock(block);
        return out;
    }
    LONG Size(int type, int id) const
    {
        HGLOBAL block = nullptr;
        if (LoadRecord(slot_, type, id, &block)) return -1;
        LONG size = GetBlockSize(block);
        ReleaseBlock(block);
        return size;
    }

private:
    std::string path_;
    int slot_ = -1;
};

// A text record of the old layout: `runs`, `lines`, `formats`, `segments` entries whose values
// are all distinct, then `text`.
inline Bytes OldTextRecord(int runs, int lines, int formats, int segments, const std::string& text)
{
    Bytes b(50 + 30 * lines + 38 * runs + 22 * formats + 12 * segments + text.size());
    const INT16 counts[5] = {static_cast<INT16>(runs), static_cast<INT16>(lines), static_cast<INT16>(text.size()),
                             static_cast<INT16>(formats), static_cast<INT16>(segments)};
    std::memcpy(b.data(), counts, sizeof counts);
    for (size_t at = 10; at + 2 <= b.size() - text.size(); at += 2) PutAt<INT16>(b, at, static_cast<INT16>(-1000 - at));
    std::memcpy(b.data() + b.size() - text.size(), text.data(), text.size());
    return b;
}

// An old drawing of `objects` shapes in paint order (row r has id r + 1) and every document
// record an older version wrote; the test changes what it looks at.
inline void PutOldDrawing(OldStore& store, INT16 version, int objects)
{
    for (int type : {100, 110, 115, 111, 112, 113, 114, 116, 117}) AddRecordType(store.slot(), type);
    OldDocumentState state = {};
    state.version = version;
    state.flags = 0x4;   // follows the default printer
    state.areaWidth = 30000;
    state.areaHeight = 30000;
    state.pageWidth = 5100;
    state.pageHeight = 6600;
    state.savedBackground = -1;
    store.Put(100, 101, BytesOf(state));
    store.Put(100, 102, Bytes(148));

    Bytes fontMap;
    PutAt<INT16>(fontMap, 0, 1);
    PutAt<INT16>(fontMap, 2, 0);
    store.Put(100, 103, fontMap);

    OldFontListHead fontHead = {1, 0};
    OldFontListEntry font = {};
    std::strcpy(font.logFont.faceName, "Arial");
    font.heightAtSize1 = 1;
    font.kind = 2;
    font.cacheIndex = -1;
    Bytes fonts = BytesOf(fontHead);
    Bytes entry = BytesOf(font);
    fonts.insert(fonts.end(), entry.begin(), entry.end());
    store.Put(100, 104, fonts);

    Bytes colors;
    PutAt<INT16>(colors, 0, 2);
    PutAt<DWORD>(colors, 2, 0x0000FF);
    PutAt<DWORD>(colors, 6, 0x00FF00);
    store.Put(100, 106, colors);

    OldDrawing drawing = {};
    drawing.pageWidth = 30000;
    drawing.pageHeight = 30000;
    drawing.lastId = static_cast<WORD>(objects);
    drawing.currentRow = -1;
    std::strcpy(drawing.style.name, "Normal");
    drawing.defaults[2] = 12;
    std::strcpy(drawing.defaultFace, "Arial");
    Bytes drawingBytes = BytesOf(drawing);
    store.Put(100, 105, Bytes(drawingBytes.begin() + 16, drawingBytes.end()));

    Bytes list, order;
    PutAt<INT16>(list, 0, static_cast<INT16>(objects));
    PutAt<INT16>(order, 0, static_cast<INT16>(objects));
    for (int row = 0; row < objects; ++row) {
        OldDrawObject o = {};
        const INT16 x = static_cast<INT16>(600 + 200 * row);
        o.frame = {x, 600, static_cast<INT16>(x + 120), 720};
        o.updateRect = o.innerRect = o.textRect = o.frame;
        o.values[0] = -1;   // no text
        o.lineColor = 0;
        o.fillColor = -1;
        o.data[0] = -1;
        o.data[3] = 2;      // a rectangle
        o.ids[2] = static_cast<WORD>(row + 1);
        o.labelId = 0xFFFF;
        o.labelRow = -1;
        Bytes e = BytesOf(o);
        list.insert(list.end(), e.begin(), e.end());
        PutAt<INT16>(order, 2 + 2 * row, static_cast<INT16>(row));
    }
    store.Put(110, 0, list);
    store.Put(111, 0, order);
    store.Put(115, 0, Bytes(2));
}
