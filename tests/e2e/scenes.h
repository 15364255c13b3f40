// The input files of the end-to-end scenarios: what each drawing holds and where, in 1/600 inch.
// The scene tool writes them through the program's own model and writer; the scenarios take
// their expectations from these figures, never from the program.
#pragma once

#include <windows.h>

namespace scenes {

// Solid fills that a pixel check tells apart from the white paper, black ink and each other.
constexpr COLORREF kRed = RGB(255, 128, 128);
constexpr COLORREF kGreen = RGB(128, 224, 128);
constexpr COLORREF kBlue = RGB(128, 160, 255);
constexpr COLORREF kYellow = RGB(255, 224, 96);

// hooks.vxr: shapes A and B joined by an elbow connector (A's right middle to B's left middle)
// and a straight line (A's bottom middle to B's bottom middle), each hooked at both ends; shape C
// and a free elbow connector lying flat to the right of C, its start end 600 units from C's right
// side at the height of C's middle.
constexpr RECT kHookA = {1200, 1200, 2400, 2100};
constexpr RECT kHookB = {4200, 1800, 5400, 2700};
constexpr RECT kHookC = {1800, 3600, 3000, 4500};
constexpr RECT kFreeConnector = {3600, 4050, 4800, 4110};   // one flat segment along its top
// hooks.vxr rows: A, B, the connector, the line, C, the free connector.
enum HookRows { kRowA, kRowB, kRowConnector, kRowLine, kRowC, kRowFree };

// group.vxr: two shapes made one group.
constexpr RECT kGroupLeft = {1200, 1200, 2100, 1800};
constexpr RECT kGroupRight = {2700, 1200, 3600, 1800};

// shapes.vxr: three shapes apart, for selecting, moving, resizing, rotating and aligning.
constexpr RECT kShapeWide = {1200, 1200, 2700, 1800};    // red, wider than tall
constexpr RECT kShapeSecond = {4800, 1200, 5700, 2100};  // green
constexpr RECT kShapeThird = {1800, 3600, 2700, 4200};   // blue

// text.vxr: one white rectangle holding "Hello world", "world" bold, left aligned.
constexpr RECT kTextShape = {1200, 1200, 3000, 2400};
constexpr int kTextPoints = 24;
constexpr char kText[] = "Hello world";
constexpr int kBoldFrom = 6;   // "world"

// One yellow shape in a drawing of its own (open, close and tile scenarios).
constexpr RECT kSingle = {1800, 1200, 3000, 2100};

// Files the tool writes into its folder.
constexpr char kHooksFile[] = "hooks.vxr";
constexpr char kGroupFile[] = "group.vxr";
constexpr char kShapesFile[] = "shapes.vxr";
constexpr char kTextFile[] = "text.vxr";
constexpr char kSingleFile[] = "single.vxr";
constexpr char kSecondFile[] = "second.vxr";
// Options: hints off, snapping off (quiet and exact); the same with hints on; and with the
// open-and-save folder set to the sub-folder "docs" of the tool's folder.
constexpr char kOptionsFile[] = "quiet.opt";
constexpr char kHintsOptionsFile[] = "hints.opt";
constexpr char kFolderOptionsFile[] = "folder.opt";
constexpr char kDocsFolder[] = "docs";

}  // namespace scenes
