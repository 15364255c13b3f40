// Colour reduction to a palette. A picture with few colours keeps them exactly (drawings mostly
// have few, and a background colour must stay findable in the palette). Otherwise median cut:
// the colours, counted in a histogram of 5 bits per channel, start as one box; the box whose
// pixels stray most from their mean is cut at the median of its widest-spread channel until
// there are enough boxes; each box gives its mean colour, and each histogram cell the nearest of
// those colours.
#include <algorithm>
#include <cstring>
#include <memory>

#include "imaging/image_pixels.h"
#include "imaging/imaging.h"

namespace {

constexpr int kSide = 32;   // cells per channel
constexpr int kCells = kSide * kSide * kSide;

struct Cell {
    std::uint32_t count;
    std::uint64_t sum[3];     // red, green, blue
    std::uint64_t square[3];
};

inline int CellOf(std::uint32_t color)
{
    return static_cast<int>(((color >> 19) & 31) << 10 | ((color >> 11) & 31) << 5 | ((color >> 3) & 31));
}

inline int CellAt(const int c[3])
{
    return c[0] << 10 | c[1] << 5 | c[2];
}

struct Box {
    int low[3];
    int high[3];   // inclusive
    std::uint64_t count = 0;
    double sum[3] = {};
    double spread[3] = {};   // per channel: sum of squared deviations
    double error = 0;        // all channels together
    bool single = false;     // one occupied cell: cannot be cut
};

// Shrinks the box to its occupied cells and measures it; false when it holds no pixel.
bool Measure(const Cell* cells, Box* box)
{
    int low[3] = {kSide, kSide, kSide}, high[3] = {-1, -1, -1};
    double sum[3] = {}, square[3] = {};
    std::uint64_t count = 0;
    int c[3];
    int occupied = 0;
    for (c[0] = box->low[0]; c[0] <= box->high[0]; ++c[0])
        for (c[1] = box->low[1]; c[1] <= box->high[1]; ++c[1])
            for (c[2] = box->low[2]; c[2] <= box->high[2]; ++c[2]) {
                const Cell& cell = cells[CellAt(c)];
                if (!cell.count) continue;
                ++occupied;
                count += cell.count;
                for (int k = 0; k < 3; ++k) {
                    low[k] = std::min(low[k], c[k]);
                    high[k] = std::max(high[k], c[k]);
                    sum[k] += static_cast<double>(cell.sum[k]);
                    square[k] += static_cast<double>(cell.square[k]);
                }
            }
    if (!count) return false;
    box->count = count;
    box->error = 0;
    for (int k = 0; k < 3; ++k) {
        box->low[k] = low[k];
        box->high[k] = high[k];
        box->sum[k] = sum[k];
        box->spread[k] = square[k] - sum[k] * sum[k] / static_cast<double>(count);
        box->error += box->spread[k];
    }
    box->single = occupied == 1;
    return true;
}

// Cuts the box in two at the median of its widest-spread channel; false when it cannot be cut.
bool Cut(const Cell* cells, Box* box, Box* other)
{
    int axis = -1;
    for (int k = 0; k < 3; ++k)
        if (box->high[k] > box->low[k] && (axis < 0 || box->spread[k] > box->spread[axis])) axis = k;
    if (axis < 0) return false;
    std::uint64_t slice[kSide] = {};
    int c[3];
    for (c[0] = box->low[0]; c[0] <= box->high[0]; ++c[0])
        for (c[1] = box->low[1]; c[1] <= box->high[1]; ++c[1])
            for (c[2] = box->low[2]; c[2] <= box->high[2]; ++c[2]) slice[c[axis]] += cells[CellAt(c)].count;
    // The last slice of the lower half: where half the pixels are reached, leaving one above.
    std::uint64_t running = 0;
    int cut = box->low[axis];
    for (int v = box->low[axis]; v < box->high[axis]; ++v) {
        running += slice[v];
        cut = v;
        if (running * 2 >= box->count) break;
    }
    *other = *box;
    box->high[axis] = cut;
    other->low[axis] = cut + 1;
    return Measure(cells, box) && Measure(cells, other);
}

}  // namespace

int convertrgbtopal(int paletteSize, const ImageDescriptor* source, ImageDescriptor* destination)
{
    if (!source || !destination || !source->bits || !destination->bits) return ImgBadArgument;
    if (paletteSize < 2 || paletteSize > 256 || destination->bitsPerPixel != 8 ||
        destination->width != source->width || destination->height != source->height)
        return ImgBadArgument;
    const int width = source->width, height = source->height;
    std::memset(destination->palette, 0, sizeof(PaletteEntry) * destination->colorCount);

    std::vector<std::uint32_t> exact;
    if (DistinctColors(source, paletteSize, &exact)) {
        for (std::size_t i = 0; i < exact.size(); ++i) {
            const std::uint32_t color = exact[i];
            destination->palette[i] = PaletteEntry{static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
                                                   static_cast<std::uint8_t>(color >> 16), 0};
        }
        std::uint32_t lastColor = 0;
        int lastIndex = -1;
        for (int y = 0; y < height; ++y) {
            std::uint8_t* to = TopRow(destination, y);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t color = PixelColor(source, x, y);
                if (lastIndex < 0 || color != lastColor) {
                    lastIndex = static_cast<int>(std::find(exact.begin(), exact.end(), color) - exact.begin());
                    lastColor = color;
                }
                to[x] = static_cast<std::uint8_t>(lastIndex);
            }
        }
        destination->header->clrImportant = static_cast<std::uint32_t>(exact.size());
        return ImgOk;
    }

    std::unique_ptr<Cell[]> cells(new (std::nothrow) Cell[kCells]());
    std::unique_ptr<std::uint8_t[]> nearest(new (std::nothrow) std::uint8_t[kCells]);
    if (!cells || !nearest) return ImgNoMemory;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t color = PixelColor(source, x, y);
            Cell& cell = cells[CellOf(color)];
            const std::uint32_t channel[3] = {color >> 16 & 255, color >> 8 & 255, color & 255};
            ++cell.count;
            for (int k = 0; k < 3; ++k) {
                cell.sum[k] += channel[k];
                cell.square[k] += channel[k] * channel[k];
            }
        }

    std::vector<Box> boxes(1);
    for (int k = 0; k < 3; ++k) {
        boxes[0].low[k] = 0;
        boxes[0].high[k] = kSide - 1;
    }
    Measure(cells.get(), &boxes[0]);
    while (static_cast<int>(boxes.size()) < paletteSize) {
        int worst = -1;
        for (int i = 0; i < static_cast<int>(boxes.size()); ++i)
            if (!boxes[i].single && (worst < 0 || boxes[i].error > boxes[worst].error)) worst = i;
        if (worst < 0) break;
        Box other;
        if (!Cut(cells.get(), &boxes[worst], &other)) {
            boxes[worst].single = true;
            continue;
        }
        boxes.push_back(other);
    }

    const int used = static_cast<int>(boxes.size());
    for (int i = 0; i < used; ++i) {
        const Box& b = boxes[i];
        const double n = static_cast<double>(b.count);
        destination->palette[i] = PaletteEntry{static_cast<std::uint8_t>(b.sum[2] / n + 0.5),
                                               static_cast<std::uint8_t>(b.sum[1] / n + 0.5),
                                               static_cast<std::uint8_t>(b.sum[0] / n + 0.5), 0};
    }
    // Every occupied cell goes to the palette colour nearest its own mean colour.
    for (int index = 0; index < kCells; ++index) {
        const Cell& cell = cells[index];
        if (!cell.count) continue;
        double mean[3];
        for (int k = 0; k < 3; ++k) mean[k] = static_cast<double>(cell.sum[k]) / cell.count;
        double best = 1e300;
        int chosen = 0;
        for (int i = 0; i < used; ++i) {
            const PaletteEntry& e = destination->palette[i];
            const double dr = mean[0] - e.red, dg = mean[1] - e.green, db = mean[2] - e.blue;
            const double distance = dr * dr + dg * dg + db * db;
            if (distance < best) {
                best = distance;
                chosen = i;
            }
        }
        nearest[index] = static_cast<std::uint8_t>(chosen);
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* to = TopRow(destination, y);
        for (int x = 0; x < width; ++x) to[x] = nearest[CellOf(PixelColor(source, x, y))];
    }
    destination->header->clrImportant = static_cast<std::uint32_t>(used);
    return ImgOk;
}
