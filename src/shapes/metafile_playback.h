// Metafile pictures played record by record through the program's own transform into any
// rectangle, mirrored and rotated with the object, never by changing the device's mapping;
// and the tessellation of elliptic arcs, pies and chords.
#pragma once

#include <windows.h>

constexpr int kPicturePointBuffer = 16000;  // points of one record at the most
constexpr int kPictureStateDepth = 1000;    // saved states kept; deeper ones are only counted
constexpr int kPlaybackArcPoints = 50;      // points per quarter of a played arc

// One saved state of the transform (48 bytes).
struct PictureSavedState {
    double scaleX;
    double scaleY;
    RECT dest;
    RECT frame;
};
static_assert(sizeof(PictureSavedState) == 48);

// The playback record, one per drawing call. The caller fills the overrides, palette flag,
// options, angle and update rectangle; PlayPictureInRect fills the transform, the buffers and
// the clip.
struct PictureDrawState {
    HBRUSH blackBrush;      // replaces solid black brushes the metafile selects
    HBRUSH brush;           // replaces every other solid brush
    HPEN pen;               // replaces every pen but a null pen
    COLORREF textColor;     // replaces text colours while blackBrush is present
    INT32 paletteFlag;      // palette selections are played only when set
    INT32 options;          // DrawObject options: 0x08 mirror left-right, 0x10 top-bottom
    double scaleX;
    double scaleY;
    RECT initialDest;       // the rotation centre, never changed
    RECT dest;
    RECT frame;
    POINT* points;          // kPicturePointBuffer points
    PictureSavedState* stack;
    INT32 depth;
    INT32 angle;            // tenths of a degree, 0 not rotated
    RECT updateRect;        // the object's update rectangle; empty for a picture of no object
    RECT clip;              // where the picture may draw: its own box joined with updateRect
};

// The transform of one coordinate of the current record.
int MapPictureX(const PictureDrawState* state, int x);
int MapPictureY(const PictureDrawState* state, int y);
int ScalePictureX(const PictureDrawState* state, int v);
int ScalePictureY(const PictureDrawState* state, int v);
void MapPictureRect(const PictureDrawState* state, RECT* rect);

// Plays the metafile bits into `dest`, its picture frame mapped onto it, clipped (by a clip
// rectangle, never a region) to `dest`, turned with the object when rotated, joined with the
// state's update rectangle: pictures from other programs draw outside their box. The bits
// block is freed in every case; `pictureFlags` are not consulted.
void PlayPictureInRect(HDC dc, const RECT* dest, HGLOBAL bits, const RECT* frame,
                       PictureDrawState* state, int pictureFlags);

// The record callback of the playback; always 1 (continue).
int CALLBACK PictureRecordProc(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                               LPARAM state);

// The arc of the ellipse inscribed in `rect` from the ray through the start point
// counter-clockwise on screen to the ray through the end point, n points per quarter. Mode 0
// the arc, 1 closed as a chord, 2 as a pie (centre first and last). `points` holds 8n + 2.
void ArcToPoints(const RECT* rect, int startX, int startY, int endX, int endY, int mode, int n,
                 POINT* points, int* count);

// Moves the point onto the ellipse inscribed in `rect` along the ray from its centre.
void ProjectOntoEllipse(POINT* point, const RECT* rect);
