// The length label: number formats by ruler unit, and the label written over the first number
// of a line's label text with the styles around it kept.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "lines/dimension_label.h"
#include "lines/line_shape.h"
#include "line_fixture.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"
#include "text/object_text.h"

namespace {

RulerSettings Ruler(int unit, int screenUnit = 1, double scaleBase = 100.0, double shown = 1.0)
{
    RulerSettings r = {};
    r.screenUnit = screenUnit;
    r.scaleBase = scaleBase;
    r.divisions = 12;
    r.shownValue = shown;
    r.unit = unit;
    return r;
}

struct FormatCase {
    RulerSettings ruler;
    double length;
    const char* number;
    const char* unit;
};

TEST(DimensionText, NumberAndSuffixByUnit)
{
    const FormatCase cases[] = {
        {Ruler(1), 1200, "2.0", "\""},
        {Ruler(2), 1200, "2'0", "\""},
        {Ruler(2), 1500, "2'6", "\""},
        {Ruler(2), 1510, "2'6.2", "\""},       // v 2.5167, r 6.2
        {Ruler(2), 1798.5, "2'12", "\""},      // r 11.97: the inches reach 12, no carry into feet
        {Ruler(3), 1200, "2.0", "mm"},
        {Ruler(4), 1200, "2.0", "cm"},         // one centimetre per screen inch
        {Ruler(4, 0), 1200, "5.1", "cm"},      // screen centimetres: 5.08
        {Ruler(5), 1200, "2.00", "m"},
        {Ruler(0), 1200, "2.0", ""},
        {Ruler(1, 1, 200.0), 1200, "1.0", "\""},
        {Ruler(1, 1, 100.0, 2.5), 1200, "5.0", "\""},
        {Ruler(1, 1, 0.0), 1200, "2.0", "\""},   // a scale base of 0 reads as 100
        {Ruler(1), 1199, "2.0", "\""},         // printf rounding of the shown figure
    };
    for (const FormatCase& c : cases) {
        char number[kDimensionTextSize], unit[kDimensionTextSize];
        FormatDimensionText(&c.ruler, c.length, number, unit);
        EXPECT_STREQ(c.number, number) << "unit " << c.ruler.unit << " length " << c.length;
        EXPECT_STREQ(c.unit, unit) << "unit " << c.ruler.unit << " length " << c.length;
    }
}

TEST(DimensionText, DamagedRulerStaysWithinTheBuffers)
{
    const double huge = 1e300;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const RulerSettings rulers[] = {Ruler(1, 1, 100.0, huge), Ruler(2, 1, 100.0, huge),
                                    Ruler(2, 1, 100.0, -huge), Ruler(5, 1, 1e-300), Ruler(2, 1, nan),
                                    Ruler(2, 1, 100.0, nan), Ruler(77)};
    for (const RulerSettings& r : rulers) {
        char number[kDimensionTextSize + 8], unit[kDimensionTextSize + 8];
        std::memset(number, 'x', sizeof(number));
        std::memset(unit, 'x', sizeof(unit));
        FormatDimensionText(&r, 1200, number, unit);
        EXPECT_LT(std::strlen(number), static_cast<size_t>(kDimensionTextSize));
        EXPECT_LT(std::strlen(unit), static_cast<size_t>(kDimensionTextSize));
        EXPECT_EQ('x', number[kDimensionTextSize]);
    }
    char number[kDimensionTextSize], unit[kDimensionTextSize];
    const RulerSettings damaged = Ruler(2, 1, nan);
    FormatDimensionText(&damaged, 1200, number, unit);
    EXPECT_STREQ("0'0", number);
}

// A piece of label text and its style bits.
struct Piece {
    std::string text;
    int style;
};

class DimensionLabel : public LineClass {
protected:
    void SetRuler(const RulerSettings& ruler)
    {
        Change(0, [&](DrawObject&, Drawing& d) { d.rulerSettings = ruler; });
    }

    // A line with a label (a free text object attached to it) holding `pieces`.
    int AddLabelledLine(int x1, int y1, int x2, int y2, const std::vector<Piece>& pieces)
    {
        const int line = AddLine(x1, y1, x2, y2);
        const int label = AddAt(ClassShape, RECT{x2, y2, x2 + 600, y2 + 150}, ShapeFreeText);
        Change(line, [&](DrawObject& o, Drawing&) {
            DrawObject& l = (&o)[label - line];
            l.state |= StateAttachedLabel;
            l.labelId = o.objId;
            l.labelRow = line;
            o.labelId = l.objId;
            o.labelRow = label;
        });
        WriteText(label, pieces);
        return line;
    }

    void WriteText(int row, const std::vector<Piece>& pieces)
    {
        std::string text;
        std::vector<TextRun> runs;
        for (const Piece& piece : pieces) {
            TextRun run = {};
            run.size = 12;
            run.style = piece.style;
            run.firstChar = static_cast<INT32>(text.size());
            run.charCount = static_cast<INT32>(piece.text.size());
            runs.push_back(run);
            text += piece.text;
        }
        TextBlock header = {};
        header.runCount = static_cast<INT32>(runs.size());
        header.textLength = static_cast<INT32>(text.size());
        std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
        bytes.append(reinterpret_cast<const char*>(runs.data()), runs.size() * sizeof(TextRun));
        bytes += text;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
        GlobalUnlock(memory);
        HGLOBAL record = nullptr;
        ASSERT_EQ(0, LoadRecord(slot_, RecTextBlock, Object(row).textId, &record));
        EXPECT_EQ(0, StoreTextBlock(&record, memory));
        ReleaseBlock(record);
        GlobalFree(memory);
    }

    // The label's text as pieces of equal style.
    std::vector<Piece> LabelText(int line)
    {
        const std::string bytes = RecordBytes(RecTextBlock, Object(Object(line).labelRow).textId);
        std::vector<Piece> pieces;
        if (bytes.size() < sizeof(TextBlock)) return pieces;
        TextBlock header;
        std::memcpy(&header, bytes.data(), sizeof(header));
        const long long size = TextBlockSize(&header);
        EXPECT_EQ(static_cast<long long>(bytes.size()), size);
        if (size != static_cast<long long>(bytes.size())) return pieces;
        const std::string text = bytes.substr(bytes.size() - header.textLength);
        TextBlockView view = ViewTextBlock(reinterpret_cast<const BYTE*>(bytes.data()),
                                           static_cast<LONG>(bytes.size()));
        for (int i = 0; i < view.runCount; ++i)
            pieces.push_back({text.substr(view.runs[i].firstChar, view.runs[i].charCount),
                              view.runs[i].style});
        return pieces;
    }

    std::string Text(int line)
    {
        std::string text;
        for (const Piece& piece : LabelText(line)) text += piece.text;
        return text;
    }

    LONG ShowLength(int row, int mode, int hide)
    {
        INT32 values[2] = {mode, hide};
        return Send(row, OM_SHOWLENGTH, 0, 0, values);
    }
};

bool operator==(const Piece& a, const Piece& b) { return a.text == b.text && a.style == b.style; }
std::ostream& operator<<(std::ostream& out, const Piece& p)
{
    return out << "\"" << p.text << "\"/" << p.style;
}

TEST_F(DimensionLabel, EmptyLabelShowsTheLengthInEachUnit)
{
    struct Case {
        int unit;
        int screenUnit;
        int length;
        const char* text;
    } cases[] = {
        {1, 1, 1200, "2.0\""}, {2, 1, 1200, "2'0\""}, {2, 1, 1500, "2'6\""},
        {2, 1, 1510, "2'6.2\""}, {2, 1, 1798, "2'12\""}, {4, 1, 1200, "2.0cm"},
        {4, 0, 1200, "5.1cm"}, {0, 1, 1200, "2.0"},
    };
    for (const Case& c : cases) {
        const int line = AddLabelledLine(600, 600, 600 + c.length, 600, {});
        SetRuler(Ruler(c.unit, c.screenUnit));
        EXPECT_EQ(0, ShowLength(line, -1, 0));
        EXPECT_EQ(c.text, Text(line)) << "unit " << c.unit << " length " << c.length;
        EXPECT_TRUE(Object(line).classFlags & 0x40);
        EXPECT_FALSE(Object(Object(line).labelRow).state & StateTextEditing);
        EXPECT_EQ(nullptr, state_->textEditor);
    }
}

TEST_F(DimensionLabel, ReplacesTheFirstNumberAndItsSuffixKeepingStyles)
{
    const int line = AddLabelledLine(600, 600, 1800, 600, {{"Length: ", 1}, {"2.0mm", 2}, {" long", 4}});
    SetRuler(Ruler(3));
    Change(line, [](DrawObject& o, Drawing& d) {   // the line grows from 1200 to 1800
        o.frame.right = 2400;
        RecalcLineBounds(&d, &o);
    });
    EXPECT_EQ(0, ShowLength(line, -1, 0));
    EXPECT_EQ((std::vector<Piece>{{"Length: ", 1}, {"3.0mm", 2}, {" long", 4}}), LabelText(line));
}

TEST_F(DimensionLabel, TextWithoutANumberGetsTheLengthInFront)
{
    const int line = AddLabelledLine(600, 600, 1800, 600, {{"see note", 2}});
    SetRuler(Ruler(3));
    EXPECT_EQ(0, ShowLength(line, -1, 0));
    EXPECT_EQ((std::vector<Piece>{{"2.0mmsee note", 2}}), LabelText(line));
}

TEST_F(DimensionLabel, OldUnitSuffixIsReplacedAfterARulerChange)
{
    // A label in inches and feet, then the ruler turned to centimetres: mode 2 names the old unit.
    const int line = AddLabelledLine(600, 600, 1800, 600, {{"2'0\" span", 0}});
    SetRuler(Ruler(4));
    EXPECT_EQ(0, ShowLength(line, 2, 0));
    EXPECT_EQ("2.0cm span", Text(line));
    // Without the feet mode the apostrophe ends the number and the suffix does not follow it.
    WriteText(Object(line).labelRow, {{"2'0\" span", 0}});
    EXPECT_EQ(0, ShowLength(line, 1, 0));
    EXPECT_EQ("2.0cm'0\" span", Text(line));
}

TEST_F(DimensionLabel, SlantedArcShowsItsChord)
{
    const int line = AddLabelledLine(600, 600, 1200, 1400, {});   // chord 1000
    Change(line, [](DrawObject& o, Drawing& d) {
        o.lineShape = LineArc;
        o.param = 180.0;
        RecalcLineBounds(&d, &o);
    });
    SetRuler(Ruler(1));
    EXPECT_EQ(0, ShowLength(line, -1, 0));
    EXPECT_EQ("1.7\"", Text(line));
}

TEST_F(DimensionLabel, HideClearsTheFlagAndKeepsTheText)
{
    const int line = AddLabelledLine(600, 600, 1800, 600, {});
    SetRuler(Ruler(1));
    ASSERT_EQ(0, ShowLength(line, -1, 0));
    EXPECT_EQ(0, ShowLength(line, -1, 1));
    EXPECT_FALSE(Object(line).classFlags & 0x40);
    EXPECT_EQ("2.0\"", Text(line));
}

TEST_F(DimensionLabel, WithoutDocumentStateNothingChanges)
{
    const int line = AddLabelledLine(600, 600, 1800, 600, {{"x", 0}});
    SetRuler(Ruler(1));
    const LONG saved = GetWindowLongA(view_, kViewStateLong);
    SetWindowLongA(view_, kViewStateLong, 0);
    const LONG result = ShowLength(line, -1, 0);
    SetWindowLongA(view_, kViewStateLong, saved);
    EXPECT_EQ(1, result);
    EXPECT_EQ("x", Text(line));
}

TEST_F(DimensionLabel, LineWithoutALabelOnlyKeepsTheFlag)
{
    // Labels are created by the text editor; until one exists there is nothing to rewrite.
    const int line = AddLine(600, 600, 1800, 600);
    SetRuler(Ruler(1));
    EXPECT_EQ(0, ShowLength(line, -1, 0));
    EXPECT_TRUE(Object(line).classFlags & 0x40);
    EXPECT_EQ(nullptr, state_->textEditor);
}

}  // namespace
