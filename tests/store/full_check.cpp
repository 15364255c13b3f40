// The full check of a store file: its own walk over the bytes, with every size, count and
// offset bounded before use, so that it also serves on arbitrary input.
#include "full_check.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "store/results.h"
#include "store/store_format.h"

namespace {

struct Span {
    std::int64_t offset;
    std::int64_t size;  // rounded to whole units
};

class Checker {
public:
    explicit Checker(const std::vector<std::uint8_t>& file) : file_(file) {}

    int Run(std::string* what)
    {
        int result = Check();
        if (what) {
            *what = result ? what_ : "";
        }
        return result;
    }

private:
    int Fail(int code, const std::string& what)
    {
        what_ = what;
        return code;
    }

    template <typename T>
    T At(std::int64_t offset) const
    {
        T value;
        std::memcpy(&value, file_.data() + offset, sizeof value);
        return value;
    }

    std::int64_t Round(std::int64_t size) const
    {
        std::int64_t unit = std::int64_t{1} << shift_;
        return (size + unit - 1) / unit * unit;
    }

    // The block an entry names: inside the file, after the descriptor, on a unit boundary, and
    // its header naming the entry's place, size, parent and key. An absent-marker is allowed
    // only where the journal keeps one.
    int CheckBlock(const StoreIndexEntry& entry, int parentKey, bool journal, const std::string& name)
    {
        std::int64_t offset = entry.offset;
        std::int64_t size = entry.size;
        if (size < kBlockHeaderSize) {
            return Fail(StoreBlockTooSmall, name + ": size below a header");
        }
        if (offset < Round(kDescriptorSize) || offset % (std::int64_t{1} << shift_) != 0) {
            return Fail(StoreOffsetMismatch, name + ": offset inside the descriptor or off a unit");
        }
        if (offset + size > static_cast<std::int64_t>(file_.size())) {
            return Fail(StoreSizeMismatch, name + ": runs past the end of the file");
        }
        BlockHeader header = At<BlockHeader>(offset);
        if (header.offset != entry.offset) {
            return Fail(StoreOffsetMismatch, name + ": header offset differs from its entry");
        }
        if (header.size != entry.size) {
            return Fail(StoreSizeMismatch, name + ": header size differs from its entry");
        }
        if (header.parentKey != parentKey) {
            return Fail(StoreParentMismatch, name + ": parent key differs from its page");
        }
        if (header.key != entry.key) {
            return Fail(StoreEntryMissing, name + ": key differs from its entry");
        }
        if ((header.flags & BLOCK_ABSENT) && !journal) {
            return Fail(StoreKeyExists, name + ": absent-marker flag outside the journal");
        }
        spans_.push_back({offset, Round(size)});
        return 0;
    }

    // An index page: exactly its entries, at most 4500, keys strictly ascending and not negative.
    int CheckPage(const StoreIndexEntry& entry, const std::string& name, int* count)
    {
        std::int64_t offset = entry.offset;
        if (entry.size < kIndexPageHeaderSize) {
            return Fail(StoreSizeMismatch, name + ": smaller than a page");
        }
        *count = At<std::int16_t>(offset + 16);
        if (*count < 0 || *count > kMaxPageEntries || IndexPageSize(*count) != entry.size) {
            return Fail(StoreSizeMismatch, name + ": count does not fit its size");
        }
        int previous = -1;
        for (int i = 0; i < *count; ++i) {
            int key = Entry(offset, i).key;
            if (key <= previous) {
                return Fail(StoreKeyOrder, name + ": keys out of order or negative");
            }
            previous = key;
        }
        entries_ += *count;
        return 0;
    }

    StoreIndexEntry Entry(std::int64_t page, int i) const
    {
        return At<StoreIndexEntry>(page + kIndexPageHeaderSize + 14 * static_cast<std::int64_t>(i));
    }

    int CheckTree(const StoreIndexEntry& rootEntry, int rootKey)
    {
        const bool journal = rootKey == KEY_BACKUP_ROOT;
        const std::string tree = journal ? "backup" : "main";
        int types = 0;
        if (int result = CheckPage(rootEntry, tree + " root", &types)) {
            return result;
        }
        for (int t = 0; t < types; ++t) {
            StoreIndexEntry typeEntry = Entry(rootEntry.offset, t);
            std::string typeName = tree + " type " + std::to_string(typeEntry.key);
            if (int result = CheckBlock(typeEntry, rootKey, journal, typeName)) {
                return result;
            }
            int records = 0;
            if (int result = CheckPage(typeEntry, typeName, &records)) {
                return result;
            }
            bool absentType = (At<BlockHeader>(typeEntry.offset).flags & BLOCK_ABSENT) != 0;
            if (absentType && records != 0) {
                return Fail(StoreSizeMismatch, typeName + ": absent type page holding entries");
            }
            for (int r = 0; r < records; ++r) {
                StoreIndexEntry record = Entry(typeEntry.offset, r);
                std::string recordName = typeName + " id " + std::to_string(record.key);
                if (int result = CheckBlock(record, typeEntry.key, journal, recordName)) {
                    return result;
                }
                // A journaled absent record is a bare header; the one an undo leaves for its
                // redo is an 18-byte placeholder.
                bool absent = (At<BlockHeader>(record.offset).flags & BLOCK_ABSENT) != 0;
                if (absent && record.size != kBlockHeaderSize && record.size != kIndexPageHeaderSize) {
                    return Fail(StoreSizeMismatch, recordName + ": absent-marker larger than a placeholder");
                }
            }
        }
        return 0;
    }

    int CheckFreeSpace(const StoreIndexEntry& entry)
    {
        std::int64_t offset = entry.offset;
        if (entry.size < kFreeSpaceHeaderSize) {
            return Fail(StoreSizeMismatch, "free-space page smaller than its header");
        }
        FreeSpacePage page = At<FreeSpacePage>(offset);
        if (page.capacity < 0 || FreeSpacePageSize(page.capacity) != entry.size || page.count < 0 ||
            page.count > page.capacity) {
            return Fail(StoreSizeMismatch, "free-space page: capacity or count does not fit");
        }
        if (offset != Round(kDescriptorSize)) {
            return Fail(StoreOffsetMismatch, "free-space page not first after the descriptor");
        }
        if (page.lostBytes < 0 || page.endMark < 0) {
            return Fail(StoreLostBytesMismatch, "negative lost bytes or end mark");
        }
        capacity_ = page.capacity;
        lostBytes_ = page.lostBytes;
        endMark_ = page.endMark;
        std::int64_t sizes = offset + kFreeSpaceHeaderSize;
        std::int64_t offsets = sizes + 8 * static_cast<std::int64_t>(page.capacity);
        std::vector<FreeExtent> bySize, byOffset;
        for (int i = 0; i < page.count; ++i) {
            bySize.push_back(At<FreeExtent>(sizes + 8 * i));
            byOffset.push_back(At<FreeExtent>(offsets + 8 * i));
        }
        for (int i = 0; i < page.count; ++i) {
            const FreeExtent& e = byOffset[static_cast<std::size_t>(i)];
            if (e.size <= 0 || e.size % (1 << shift_) != 0 || e.offset % (1 << shift_) != 0) {
                return Fail(StoreSizeMismatch, "free extent of no size or off the units");
            }
            if (i > 0 && byOffset[static_cast<std::size_t>(i - 1)].offset >= e.offset) {
                return Fail(StoreOffsetListOrder, "offset list out of order");
            }
            if (i > 0 && static_cast<std::int64_t>(byOffset[static_cast<std::size_t>(i - 1)].offset) +
                                 byOffset[static_cast<std::size_t>(i - 1)].size == e.offset) {
                return Fail(StoreFreeListsDisagree, "two free extents touch");
            }
            if (i > 0 && bySize[static_cast<std::size_t>(i - 1)].size > bySize[static_cast<std::size_t>(i)].size) {
                return Fail(StoreSizeListOrder, "size list out of order");
            }
            spans_.push_back({e.offset, e.size});
        }
        auto key = [](const FreeExtent& e) { return std::make_pair(e.offset, e.size); };
        std::vector<std::pair<int, int>> a, b;
        std::transform(bySize.begin(), bySize.end(), std::back_inserter(a), key);
        std::transform(byOffset.begin(), byOffset.end(), std::back_inserter(b), key);
        std::sort(a.begin(), a.end());
        if (a != b) {
            return Fail(StoreFreeListsDisagree, "the two free lists hold different extents");
        }
        return 0;
    }

    // Every byte from the free-space page to the end mark belongs to a block, a free extent or a
    // hole, and the holes add up to the lost bytes.
    int CheckMap()
    {
        std::sort(spans_.begin(), spans_.end(), [](const Span& a, const Span& b) { return a.offset < b.offset; });
        std::int64_t holes = 0;
        std::int64_t end = Round(kDescriptorSize);
        std::int64_t previous = -1;
        for (const Span& span : spans_) {
            if (span.offset == previous) {
                return Fail(StoreDuplicateOffset, "two blocks or extents at " + std::to_string(span.offset));
            }
            if (span.offset < end) {
                return Fail(StoreBlockOverlap, "blocks or extents overlap at " + std::to_string(span.offset));
            }
            holes += span.offset - end;
            end = span.offset + span.size;
            previous = span.offset;
        }
        if (end > endMark_) {
            return Fail(StoreBlockOverlap, "a block or extent past the end mark");
        }
        holes += endMark_ - end;
        if (holes != lostBytes_) {
            return Fail(StoreLostBytesMismatch, "holes of " + std::to_string(holes) + " bytes, " +
                                                    std::to_string(lostBytes_) + " lost bytes counted");
        }
        return 0;
    }

    int Check()
    {
        if (file_.size() < static_cast<std::size_t>(kDescriptorSize)) {
            return Fail(StoreNotAStore, "shorter than a descriptor");
        }
        StoreDescriptor d = At<StoreDescriptor>(0);
        if (d.formatMark != kFormatMark || d.versionMark != kVersionMark) {
            return Fail(StoreNotAStore, "format or version mark");
        }
        if (d.baseOffset != 0) {
            return Fail(StoreBaseMismatch, "base offset not 0");
        }
        if (d.shift < 0 || d.shift > kMaxShift) {
            return Fail(StoreBadShiftOrLength, "shift outside 0-10");
        }
        shift_ = d.shift;
        const struct {
            const StoreIndexEntry& entry;
            int key;
            const char* name;
        } tops[] = {{d.freeSpace, KEY_FREE_SPACE, "free-space page"},
                    {d.mainRoot, KEY_MAIN_ROOT, "main root"},
                    {d.backupRoot, KEY_BACKUP_ROOT, "backup root"}};
        for (const auto& top : tops) {
            if (top.entry.key != top.key) {
                return Fail(StoreEntryMissing, std::string(top.name) + ": descriptor entry keyed wrongly");
            }
            if (int result = CheckBlock(top.entry, KEY_TOP, false, top.name)) {
                return result;
            }
        }
        if (int result = CheckFreeSpace(d.freeSpace)) return result;
        if (int result = CheckTree(d.mainRoot, KEY_MAIN_ROOT)) return result;
        if (int result = CheckTree(d.backupRoot, KEY_BACKUP_ROOT)) return result;
        if (int result = CheckMap()) return result;
        if (d.entryCount != entries_) {
            return Fail(StoreEntryCountMismatch, "entry count " + std::to_string(d.entryCount) + ", " +
                                                     std::to_string(entries_) + " entries found");
        }
        if (d.entryCapacity != kEntryCapacityTotal - capacity_) {
            return Fail(StoreEntryCountMismatch, "entry capacity " + std::to_string(d.entryCapacity) +
                                                     " does not follow from the free-list capacity");
        }
        if (d.entryCount > d.entryCapacity) {
            return Fail(StoreNoRoom, "more entries than the entry capacity");
        }
        std::int64_t length = static_cast<std::int64_t>(file_.size());
        if (length != endMark_ && length != endMark_ + 1) {
            return Fail(StoreFileLengthMismatch, "file of " + std::to_string(length) + " bytes, end mark " +
                                                     std::to_string(endMark_));
        }
        return 0;
    }

    const std::vector<std::uint8_t>& file_;
    std::string what_;
    int shift_ = 0;
    int capacity_ = 0;
    std::int64_t lostBytes_ = 0;
    std::int64_t endMark_ = 0;
    std::int64_t entries_ = 0;
    std::vector<Span> spans_;
};

}  // namespace

int FullStoreCheck(const std::vector<std::uint8_t>& file, std::string* what)
{
    return Checker(file).Run(what);
}

int FullStoreCheckFile(const std::string& path, std::string* what)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::streamoff length = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length > 0 ? length : 0));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in && !bytes.empty()) {
        bytes.clear();
    }
    return FullStoreCheck(bytes, what);
}
