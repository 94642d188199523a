// Private state and helpers of KQelReaderObj shared by its source files.
#ifndef QELSDK_FORMATS_OBJ_KQELREADEROBJ_IMPL_H
#define QELSDK_FORMATS_OBJ_KQELREADEROBJ_IMPL_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/ktextreader.h"
#include "formats/obj/kobjmodel.h"
#include "formats/obj/kqelreaderobj.h"

namespace qelsdk_600 {

namespace obj_detail {

// Keywords are cut after this many characters; what follows begins the rest.
const std::size_t kKeywordLength = 20;

// Splits pText in place at blanks and tabs (runs counting as one): each
// piece is ended by a NUL and its start appended to pPieces, which is
// emptied first.
void SplitInPlace(char* pText, std::vector<char*>& pPieces);
// Up to pMax numbers read one after another as "%lf" reads them, in the
// "C" locale; the count read.
int ParseDoubles(const char* pText, double* pValues, int pMax);
// The integer at the start of pText; false when there is none or it does
// not fit 32 bits.
bool ParseInt32(const char* pText, int& pValue);
// The next word at pCursor (white space before it skipped), at most pMax
// characters, pCursor set after it; empty when there is none.
std::string TakeWord(const char*& pCursor, std::size_t pMax = std::string::npos);
// The first word of pText, as TakeWord.
std::string FirstWord(const char* pText, std::size_t pMax = std::string::npos);
// Lower-case ASCII copy, the key of names compared without regard to case.
std::string LowerAscii(const std::string& pText);

// Reads one statement of a library: the keyword (white space and line ends
// before it skipped) and the rest of its line, at most pSize - 1
// characters; a longer line goes on as the next statement. False at the end.
bool ReadLibraryStatement(KTextReader& pFile, std::string& pKeyword, char* pRest, std::size_t pSize);

}  // namespace obj_detail

struct KQelReaderObj::Library {
    KTextReader mFile;
    // Position after the "newmtl" line of each name's first block; built on
    // the first search.
    bool mIndexed = false;
    std::unordered_map<std::string, std::int64_t> mBlocks;
};

struct KQelReaderObj::ReadState {
    // Group meshes by lower-case name; the name as first written.
    struct Group {
        std::string mName;
        std::unique_ptr<KObjMesh> mMesh;
    };
    std::vector<Group> mGroups;
    std::unordered_map<std::string, std::size_t> mGroupIndex;

    // Materials and textures by lower-case name.
    struct Cached {
        KQelMaterial* mMaterial;
        KQelTexture* mTexture;
    };
    std::unordered_map<std::string, Cached> mMaterials;
    std::vector<std::unique_ptr<Library>> mLibraries;

    // Statement state.
    std::string mGroup;
    KObjMesh* mMesh = nullptr;  // the current group's, once it has a face
    int mSmoothingGroup = 0;
    KQelMaterial* mMaterial = nullptr;
    KQelTexture* mTexture = nullptr;
    KObjSurf::ECurveType mCurveType = KObjSurf::eNone;
    bool mRational = false;
    int mDegreeU = 0;
    int mDegreeV = 0;
    KQelNode* mRoot = nullptr;
    // Set when a statement would not fit the line buffer.
    bool mTooLong = false;
    // The line buffer of the libraries, sgMAX_LINE_SIZE bytes during a read.
    char* mLibraryLine = nullptr;
    std::vector<char*> mPieces;
};

}  // namespace qelsdk_600

#endif
