// Options of older versions kept in store-format files (record type 51): the old settings and
// recent files taken into the current records. A field the stored record is too short to hold
// keeps its default.
#include "documents/older_options.h"

#include <cstring>

#include "documents/older_layouts.h"

namespace {

constexpr double kInchScale = 100.0;
constexpr INT32 kScreenInches = 1, kScreenCentimetres = 0;
constexpr INT32 kRulerInches = 1, kRulerCentimetres = 4;

// True when the old record of `size` bytes holds the field at `offset` of `width` bytes.
bool Holds(DWORD size, size_t offset, size_t width) { return offset + width <= size; }

#define HOLDS(field) Holds(size, offsetof(OldSettings, field), sizeof(OldSettings::field))

}  // namespace

void ConvertOldSettings(Settings* settings, const BYTE* payload, DWORD size)
{
    // The record is copied so that a short one reads as zeros past its end; only the fields
    // it holds are taken.
    OldSettings old = {};
    std::memcpy(&old, payload, size < sizeof old ? size : sizeof old);
    Settings& s = *settings;

    s.ruler.shownValue = 1.0;
    if (HOLDS(rulersShown)) s.ruler.rulersShown = old.rulersShown;
    if (HOLDS(rulerScale)) {
        const bool inches = old.rulerScale == kInchScale;
        s.ruler.screenUnit = inches ? kScreenInches : kScreenCentimetres;
        s.ruler.unit = inches ? kRulerInches : kRulerCentimetres;
        s.ruler.scaleBase = kInchScale;
    }
    if (HOLDS(rulerDivisions)) s.ruler.divisions = old.rulerDivisions;

    if (HOLDS(printOptions)) s.printOptions = old.printOptions;
    if (HOLDS(flags)) s.flags = static_cast<DWORD>(static_cast<INT32>(old.flags));
    s.flags |= SetTemplateDialog;

    if (HOLDS(exportType)) s.exportType = old.exportType;
    if (HOLDS(importType)) s.importType = old.importType;
    if (HOLDS(nextTip)) s.nextTip = old.nextTip;
    if (old.version == kOldSettingsWithFooterLift && HOLDS(footerLift)) s.footerLift = old.footerLift;

    if (HOLDS(defaults)) {
        INT32* to[6] = {&s.defaults.defaultBorderWidth, &s.defaults.defaultLineWidth, &s.defaults.defaultTextSize,
                        &s.defaults.defaultTextStyle,   &s.defaults.defaultTextAlignH, &s.defaults.defaultTextAlignV};
        for (int i = 0; i < 6; ++i) *to[i] = old.defaults[i];
    }
    if (HOLDS(defaultFace)) {
        CopyOldString(s.defaults.defaultFace, sizeof s.defaults.defaultFace, old.defaultFace, sizeof old.defaultFace);
        s.defaults.defaultFontKey = 0;
    }
    if (HOLDS(standardColors)) std::memcpy(s.standardColors, old.standardColors, sizeof s.standardColors);

    // The old palette had one slot fewer before the line tools: its slots 3-20 are the
    // current 4-21, and the first four keep their defaults.
    for (int slot = 3; slot < kOldToolSlots; ++slot) {
        if (!Holds(size, offsetof(OldSettings, tools) + sizeof(OldToolSlot) * (slot + 1), 0)) break;
        const OldToolSlot& from = old.tools[slot];
        ToolSlot& to = s.tools[slot + 1];
        to = {from.width, from.height, from.objClass, from.subtype, from.growMode, from.adjustment};
    }
}

void ConvertOldRecentFiles(RecentFiles* recent, const BYTE* payload, DWORD size)
{
    OldRecentFiles old = {};
    std::memcpy(&old, payload, size < sizeof old ? size : sizeof old);
    const DWORD orderEnd = offsetof(OldRecentFiles, order) + sizeof old.order;
    int count = old.count < 0 ? 0 : old.count > kMaxRecentFiles ? kMaxRecentFiles : old.count;
    // The paths a record does not hold are not shown.
    while (count > 0 && !Holds(size, offsetof(OldRecentFiles, paths) + kOldRecentPath * count, 0)) --count;
    recent->count = count;

    // The shown order is taken only when it names each stored path once; otherwise the paths
    // are shown as stored.
    bool seen[kMaxRecentFiles] = {};
    bool sound = size >= orderEnd;
    for (int p = 0; p < count && sound; ++p) {
        const int slot = old.order[p];
        sound = slot >= 0 && slot < count && !seen[slot];
        if (sound) seen[slot] = true;
    }
    for (int p = 0; p < kMaxRecentFiles; ++p) recent->order[p] = sound && p < count ? old.order[p] : p;

    for (int p = 0; p < kMaxRecentFiles; ++p) {
        if (p < count)
            CopyOldString(recent->paths[p], kOldRecentPath, old.paths[p], kOldRecentPath);
        else
            recent->paths[p][0] = '\0';
    }
}
