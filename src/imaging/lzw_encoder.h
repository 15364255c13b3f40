// The LZW code of GIF and TIFF pictures. Both start with a clear code, grow the code width from
// one bit above the root symbols to 12 bits and end with an end code; they differ in the order of
// bits in a byte and in when the width grows:
// - GIF: bits from the least significant; the width grows after the first code written once
//   the table holds 2^width entries; a full table (4096) is cleared.
// - TIFF: bits from the most significant; the width grows as soon as the table holds 2^width
//   entries ("early change"); the table is cleared at 4094 entries, as TIFF readers expect.
#pragma once

#include <cstdint>
#include <vector>

class LzwEncoder {
public:
    enum Style { Gif, Tiff };
    // `rootBits`: bits of the symbols (GIF 2-8; TIFF 8). The code goes to the end of `out`.
    LzwEncoder(Style style, int rootBits, std::vector<std::uint8_t>* out);
    void Put(std::uint8_t symbol);
    // Writes the last code and the end code and flushes the bits; nothing may follow.
    void Finish();

private:
    void Write(int code);
    void Reset();
    int Find(int prefix, int symbol);   // the code of prefix + symbol, or -1
    void Insert(int prefix, int symbol, int code);
    void GrowAfterAdd();

    Style style_;
    int rootBits_;
    int clear_;
    int end_;
    int width_ = 0;
    int next_ = 0;
    int prefix_ = -1;
    std::vector<std::uint8_t>* out_;
    std::uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    // An open-addressed table of (prefix, symbol) -> code; a slot counts only when its
    // generation is the current one, so clearing the table is one increment.
    static constexpr int kSlots = 8192;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint16_t> codes_;
    std::vector<std::uint32_t> generations_;
    std::uint32_t generation_ = 1;
};
