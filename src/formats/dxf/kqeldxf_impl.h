// Private helpers of the DXF reader: the group-pair stream and the point and
// polygon lists that entities fill.
#ifndef QELSDK_FORMATS_DXF_KQELDXF_IMPL_H
#define QELSDK_FORMATS_DXF_KQELDXF_IMPL_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/karraytemplate.h"
#include "formats/ktextreader.h"
#include "math/kqelpointgrid.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {
namespace dxf_detail {

// Reads a DXF text file as group pairs: a line holding the group code, then
// a line holding the value. Positions are byte offsets (64-bit) of the start
// of a pair, for reading it again after a look-ahead.
class PairReader {
public:
    // Characters of a line kept; the rest of a longer line is passed over.
    static const std::size_t kMaxLineLength = 65536;

    PairReader();

    // Opens a regular file (anything else could be endless); false with
    // nothing open.
    bool Open(const char* pPath);
    // False when closing the stream fails.
    bool Close() { return mFile.Close(); }
    bool IsOpen() const { return mFile.IsOpen(); }
    // Size of the open file in bytes.
    std::int64_t GetSize() const { return mFile.GetSize(); }

    // Reads the next pair. The code is the group-code line read as "%d" (a
    // line that holds no number leaves the former code); the value is the
    // whole value line without surrounding white space. False when the file
    // ends before both lines are read.
    bool Next();
    int Code() const { return mCode; }
    const std::string& Value() const { return mValue; }
    bool Is(int pCode, const char* pValue) const { return mCode == pCode && mValue == pValue; }

    // Position of the next unread byte; Seek goes back (or forward) to one.
    std::int64_t Tell() const { return mFile.Tell(); }
    bool Seek(std::int64_t pPosition) { return mFile.Seek(pPosition); }

private:
    // Reads one line into mLine; false at the end of the file.
    bool ReadLine();

    KTextReader mFile;
    int mCode;
    std::string mValue;
    std::vector<char> mLine;
    std::size_t mLineLength;
};

// The value as "%d" reads it: leading blanks, a sign, digits; false (and
// pValue unchanged) when there is no number. Numbers beyond 32 bits saturate.
bool ParseInt(const std::string& pText, int& pValue);
// The value as "%lf" reads it, in the "C" locale; false (and pValue
// unchanged) when there is no finite number.
bool ParseDouble(const std::string& pText, double& pValue);

// The point list and polygon list of one mesh being read. Polygon records
// follow two header slots (slot 0: 1 once a polygon of a colour was added;
// slot 1 reserved): the corner count n, the colour number (0 or 1 to 255),
// then n indices into the point list. With welding, a grid finds the first
// point equal to a new one.
struct MeshLists {
    explicit MeshLists(bool pWeld, int pPointBlock = 16);

    // Appends the point; its index.
    int AddPoint(const KQelVector4& pPoint);
    // The first equal point's index with welding, else -1.
    int FindPoint(const KQelVector4& pPoint) const;
    // FindPoint, else AddPoint.
    int FindOrAddPoint(const KQelVector4& pPoint);
    // Appends the record header (n, colour); a colour other than 0 sets the
    // colour flag unless pNoteColour is false.
    void BeginRecord(int pCorners, int pColour, bool pNoteColour = true);

    KArrayTemplate<KQelVector4> mPoints;
    KArrayTemplate<int> mPolygons;
    std::unique_ptr<KQelPointGrid> mGrid;
};

// The values of one entity (or block header) that the reader takes, by group
// code: 8 layer, 2 name, 10 to 13 / 20 to 23 / 30 to 33 the x / y / z of
// points 0 to 3, 41 to 43 scale factors, 50 angle (degrees), 62 colour
// number, 70 flags, 71 to 74 counts or face corner numbers. Values not given
// keep these defaults: 0, empty, scale factors 1.
struct EntityValues {
    EntityValues();

    // Stores the pair's value when pCode is among pCodes (pCount of them).
    void Take(int pCode, const std::string& pValue, const int* pCodes, int pCount);
    // Point k in scene axes: the file's (x, y, z) becomes (x, z, -y), W 1.
    KQelVector4 ScenePoint(int pPoint) const;

    std::string mLayer;
    std::string mName;
    double mPoint[4][3];
    double mScale[3];
    double mAngle;
    int mColour;
    bool mHasColour;  // a group 62 was read
    int mFlags;
    int mNumbers[4];
};

// The lists of the layers met in one section, one mesh each; names compare
// without regard to ASCII case and keep the form met first.
struct LayerSet {
    struct Entry {
        std::string mName;
        std::unique_ptr<MeshLists> mLists;
    };
    std::vector<Entry> mEntries;
    std::unordered_map<std::string, std::size_t> mIndex;  // lower-case name
};

}  // namespace dxf_detail
}  // namespace qelsdk_600

#endif
