// LZW encoding for GIF and TIFF.
#include "imaging/lzw_encoder.h"

namespace {

constexpr int kMaxWidth = 12;
constexpr int kGifTableLimit = 4096;
constexpr int kTiffTableLimit = 4094;

}  // namespace

LzwEncoder::LzwEncoder(Style style, int rootBits, std::vector<std::uint8_t>* out)
    : style_(style), rootBits_(rootBits), clear_(1 << rootBits), end_((1 << rootBits) + 1), out_(out),
      keys_(kSlots), codes_(kSlots), generations_(kSlots, 0)
{
    width_ = rootBits_ + 1;
    Write(clear_);
    Reset();
}

void LzwEncoder::Reset()
{
    width_ = rootBits_ + 1;
    next_ = clear_ + 2;
    ++generation_;
}

int LzwEncoder::Find(int prefix, int symbol)
{
    const std::uint32_t key = static_cast<std::uint32_t>(prefix) << 8 | static_cast<std::uint32_t>(symbol);
    std::uint32_t slot = (key * 2654435761u) >> 19;   // 13 bits
    while (generations_[slot] == generation_) {
        if (keys_[slot] == key) return codes_[slot];
        slot = (slot + 1) & (kSlots - 1);
    }
    return -1;
}

void LzwEncoder::Insert(int prefix, int symbol, int code)
{
    const std::uint32_t key = static_cast<std::uint32_t>(prefix) << 8 | static_cast<std::uint32_t>(symbol);
    std::uint32_t slot = (key * 2654435761u) >> 19;
    while (generations_[slot] == generation_) slot = (slot + 1) & (kSlots - 1);
    generations_[slot] = generation_;
    keys_[slot] = key;
    codes_[slot] = static_cast<std::uint16_t>(code);
}

void LzwEncoder::Write(int code)
{
    if (style_ == Gif) {
        bitBuffer_ |= static_cast<std::uint32_t>(code) << bitCount_;
        bitCount_ += width_;
        while (bitCount_ >= 8) {
            out_->push_back(static_cast<std::uint8_t>(bitBuffer_));
            bitBuffer_ >>= 8;
            bitCount_ -= 8;
        }
    } else {
        bitBuffer_ = bitBuffer_ << width_ | static_cast<std::uint32_t>(code);
        bitCount_ += width_;
        while (bitCount_ >= 8) {
            out_->push_back(static_cast<std::uint8_t>(bitBuffer_ >> (bitCount_ - 8)));
            bitCount_ -= 8;
        }
        bitBuffer_ &= (1u << bitCount_) - 1;
    }
}

// TIFF: after an entry is added, clear a table about to be full, else widen when the next entry
// would need another bit.
void LzwEncoder::GrowAfterAdd()
{
    if (next_ == kTiffTableLimit) {
        Write(clear_);
        Reset();
    } else if (next_ > (1 << width_) - 1 && width_ < kMaxWidth) {
        ++width_;
    }
}

void LzwEncoder::Put(std::uint8_t symbol)
{
    if (prefix_ < 0) {
        prefix_ = symbol;
        return;
    }
    const int found = Find(prefix_, symbol);
    if (found >= 0) {
        prefix_ = found;
        return;
    }
    Write(prefix_);
    if (style_ == Gif) {
        if (next_ > (1 << width_) - 1 && width_ < kMaxWidth) ++width_;
        if (next_ < kGifTableLimit) {
            Insert(prefix_, symbol, next_++);
        } else {
            Write(clear_);
            Reset();
        }
    } else {
        Insert(prefix_, symbol, next_++);
        GrowAfterAdd();
    }
    prefix_ = symbol;
}

void LzwEncoder::Finish()
{
    if (prefix_ >= 0) {
        Write(prefix_);
        // The reader adds an entry for the last code too before it reads the end code.
        if (style_ == Gif) {
            if (next_ > (1 << width_) - 1 && width_ < kMaxWidth) ++width_;
        } else {
            ++next_;
            GrowAfterAdd();
        }
    }
    Write(end_);
    if (bitCount_ > 0) {
        if (style_ == Gif) out_->push_back(static_cast<std::uint8_t>(bitBuffer_));
        else out_->push_back(static_cast<std::uint8_t>(bitBuffer_ << (8 - bitCount_)));
    }
    bitBuffer_ = 0;
    bitCount_ = 0;
    prefix_ = -1;
}
