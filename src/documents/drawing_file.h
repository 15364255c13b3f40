// The drawing file (also templates and drawing images): the signature, the header record, the
// preview, the page block with the printer set-up, and the drawing block.
#pragma once

#include <windows.h>

struct DocumentState;

#pragma pack(push, 1)

// Header record 0x8001, six u16: generation, 300, 1, format version, 100, units per inch.
struct StreamHeader {
    WORD generation;   // below 2: a file of an older version
    WORD reserved2;
    WORD reserved4;
    WORD version;      // above 2: written by a later version
    WORD reserved8;
    WORD resolution;   // units per inch of every coordinate
};
static_assert(sizeof(StreamHeader) == 12);

// Page block record 0x8002 (14 bytes).
struct PageBlockRecord {
    WORD flags;            // the document flags' low 16 bits
    INT16 scrollX;         // rescaled
    INT16 scrollY;         // rescaled
    INT16 zoom;
    WORD zoomFlags;
    DWORD savedBackground; // at 10
};
static_assert(sizeof(PageBlockRecord) == 14);

// Page set-up record 3 (30 bytes, fifteen i16).
struct PageSetupRecord {
    INT16 areaWidth;
    INT16 areaHeight;
    INT16 pageWidth;
    INT16 pageHeight;
    INT16 margins[4];         // at 8: read into both margin sets
    INT16 printerMargins[4];  // at 16: written, not read
    INT16 landscape;          // at 24: written, not read
    INT16 paperSize;          // at 26: written, not read
    INT16 footerSpace;        // at 28: read as unsigned
};
static_assert(sizeof(PageSetupRecord) == 30);

#pragma pack(pop)

constexpr char kDrawingSignature[] = "VEXLORFM";
constexpr int kSignatureLength = 8;
constexpr WORD kOpHeader = 0x8001;
constexpr WORD kOpPreview = 9;
constexpr WORD kOpPageBlock = 0x8002;
constexpr WORD kOpPageSetup = 3;
constexpr WORD kOpDevMode = 4;
constexpr WORD kOpDeviceName = 5;
constexpr WORD kOpColorList = 8;
constexpr WORD kOpLibraryPath = 10;
constexpr WORD kOpFontTable = 0x8006;
constexpr int kMaxPathChars = 261;
constexpr int kMaxColors = 256;

// Reads a drawing from `image` (total length `imageLength`) when given, else from `file`, else
// (file -1) from the file at `path`. `older` is set for a file of an older generation;
// `fromTemplate` binds the printer as for a new document from a template. A drawing block cut
// short or holding damaged objects still reads to 0: what it lost is in g_readDamage.
int ReadDrawingFile(HFILE file, const char* path, HGLOBAL image, DWORD imageLength, HWND view,
                    DocumentState* state, BOOL* older, BOOL fromTemplate);
// Writes the drawing to a memory image when `image` is given (handle and total length handed
// back, none on failure), else to the file at `path`.
int WriteDrawingFile(const char* path, HGLOBAL* image, DWORD* imageLength, DocumentState* state);
// 1 when the file begins with the signature, 0 when not, -1 when it cannot be opened. With
// `preview`, 1 also needs a valid header followed by the preview record, whose data is handed
// back in a new movable block.
int ProbeDrawingFile(const char* path, HGLOBAL* preview);

// Shared by the drawing file and the symbol stream.
// Opens the source after the record buffer: the memory image when given (`skip` bytes of the image are passed over
// before the stream), else the file, else the file at the path (*opened then holds it): 0 or 1.
int BeginStreamSource(HFILE file, const char* path, HGLOBAL image, DWORD limit, DWORD skip, HFILE* source,
                      HFILE* opened);
// Ends a source begun above.
void EndStreamSource(HFILE opened);
// Writes a whole stream, to a new memory image when `image` is given (handle and total length
// handed back, none on failure), else to the file at the path (created when missing, cut at the
// end of what was written): the signature and header, `content`, 0x4001.
int WriteStreamWith(const char* path, HGLOBAL* image, DWORD* imageLength, DocumentState* state,
                    int (*content)(HFILE file, DocumentState* state));
// The signature and the header record: 1003 for a wrong signature or first record (also a
// resolution of 0), 10008 for a later format version; sets the file resolution and the
// older-file flag.
int ReadStreamHeader(HFILE file, BOOL* older);
int WriteStreamHeader(HFILE file);
