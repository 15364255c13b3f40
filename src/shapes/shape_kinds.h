// Shape kinds: their names, point counts, parameter ranges and ring flag, the per-side insets
// of a thick border and the text-area fractions each outline offers.
#pragma once

#include <windows.h>

// The kind of a shape, kept in its objType. A stored shape has kind 2-26; 0 and 1 exist only
// as what OM_INIT is asked to create (the stored kind is then 2 with a state bit).
enum ShapeKind : int {
    ShapeFreeText = 0,          // request only: a text block in the eight frame points
    ShapePicture = 1,           // request only: an imported picture, no outline
    ShapeRectangle = 2,
    ShapeRoundedRect = 3,       // corner radius p x min(W, H)
    ShapeOval = 4,
    ShapeInputOutput = 5,       // parallelogram
    ShapeDecision = 6,          // diamond
    ShapeDocument = 7,          // wave along the bottom
    ShapeTerminate = 8,         // rounded ends of radius H/2
    ShapeCircle = 9,            // ellipse in a square frame
    ShapeRightArrow = 10,
    ShapeLeftArrow = 11,
    ShapeTopArrow = 12,
    ShapeBottomArrow = 13,
    ShapeTriangle = 14,
    ShapeReverseTriangle = 15,
    ShapeInput = 16,            // top edge drops to the left
    ShapeTrapezoid = 17,        // narrower at the top
    ShapeManualOperation = 18,  // narrower at the bottom
    ShapeOctagon = 19,
    ShapeOnlineStorage = 20,    // convex left side, concave right side
    ShapePreparation = 21,      // hexagon pointing left and right
    ShapeOffPageConnector = 22, // pentagon pointing down
    ShapePentagon = 23,         // pentagon pointing left
    ShapeDelay = 24,            // convex right side
    ShapeDisplay = 25,          // point at the left, convex right side
    ShapeCustom = 26,           // pieces of the shape's OutlinePointBlock
};

constexpr int kShapeKindCount = 27;
// The largest outline of a built-in kind; custom outlines may have up to kMaxOutlinePoints.
constexpr int kMaxFixedOutlinePoints = 81;
constexpr int kMaxOutlinePoints = 600;

// Palette tool hints of kinds 2-25 are string-table texts 6112 + kind ("Draw a Rectangle"...).
constexpr UINT kShapeHintFirstId = 6114;

// What the outline of a kind is and how its parameter bends it.
struct ShapeKindInfo {
    const char* name;     // the tool hint of kinds 2-25, a plain description of 0, 1 and 26
    UINT hintId;          // string id of the tool hint, 0 for kinds 0, 1 and 26
    int points;           // outline points; -1 for a custom outline (the block decides)
    double paramDefault;  // 0, 0, 0 for a kind without a parameter
    double paramMin;
    double paramMax;
    bool ringBorder;      // a border of 2 units or more is painted as a filled ring
};

// The row of `kind`, or null outside 0-26.
const ShapeKindInfo* GetShapeKindInfo(int kind);

// OM_PARAMRANGE: default, minimum and maximum parameter of `kind` (0, 0, 0 when it has none or
// is unknown). Needs no object. Always 0.
int GetShapeParamRange(int kind, double* defaultValue, double* minValue, double* maxValue);

// 1 for kinds 5, 6, 7 and 10-25, else 0; state bit 0x400 mirrors it.
int IsRingBorderKind(int kind);

// Insets (left, top, right, bottom) of the inner outline that a border of `width` leaves
// inside the outline of `kind` in `frame`. A side whose factor would divide by zero is left
// as the caller had it.
void ComputeBorderInsets(const RECT& frame, int width, double param, int kind, RECT* insets);

// Text-area fractions (left, top, right, bottom) of the frame for `kind` with parameter
// `param` and mirror options (0x8 horizontal, 0x10 vertical). Kinds 0, 1, 2, 26 and unknown
// kinds keep the fractions they have.
void ComputeShapeTextFractions(int kind, double param, int options, double fractions[4]);

// The text inset in units of a frame `width` x `height` for those fractions. With `fromText`
// the frame holds the extent of the text, and the result is the inset of a frame that would
// hold that text area.
RECT TextInsetFromFractions(int kind, const double fractions[4], bool fromText, int width,
                            int height);
