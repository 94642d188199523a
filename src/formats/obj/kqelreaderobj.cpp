// The reader object, its lines, the statement loop and the scene.
#include "formats/obj/kqelreaderobj.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/kclocale.h"
#include "base/kpath.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "formats/obj/kqelreaderobj_impl.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

int sgMAX_LINE_SIZE = 1026;

using obj_detail::kKeywordLength;

namespace {

bool IsSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Trims pText (pLength characters) at both ends in place; the new length.
std::size_t Trim(char* pText, std::size_t pLength)
{
    std::size_t first = 0;
    while (first < pLength && IsSpace(static_cast<unsigned char>(pText[first])))
        ++first;
    while (pLength > first && IsSpace(static_cast<unsigned char>(pText[pLength - 1])))
        --pLength;
    std::memmove(pText, pText + first, pLength - first);
    pText[pLength - first] = '\0';
    return pLength - first;
}

// Reads the rest of a physical line after what pText holds (pLength of
// pSize - 1 characters); false when it does not fit.
bool ReadRest(KTextReader& pFile, char* pText, std::size_t pSize, std::size_t& pLength)
{
    std::size_t added = 0;
    bool ended = false;
    pFile.ReadLine(pText + pLength, pSize - 1 - pLength, added, ended);
    pLength += added;
    if (ended)
        return true;
    const int next = pFile.Peek();
    if (next == '\n' || next == '\r') {
        pFile.SkipLine();
        return true;
    }
    return next < 0;
}

// The kinds of statement, by keyword; comments begin with '#'.
enum EStatement {
    eVertex, eTexture, eNormal, eParameter, eFace, eGroup, eSmoothing, eUseMaterial, eMaterialLibrary,
    eCurveType, eDegree, eCurve, eSurface, eSkipped, eUnsupported
};
struct StatementKind {
    const char* mKeyword;
    EStatement mKind;
};
const StatementKind kStatements[] = {
    {"v", eVertex},        {"vt", eTexture},      {"vn", eNormal},   {"f", eFace},
    {"g", eGroup},         {"s", eSmoothing},     {"usemtl", eUseMaterial}, {"mtllib", eMaterialLibrary},
    {"vp", eParameter},    {"cstype", eCurveType}, {"deg", eDegree},  {"curv", eCurve},
    {"curv2", eCurve},     {"surf", eSurface},    {"mg", eSkipped},  {"o", eSkipped},
    {"bmat", eSkipped},    {"step", eSkipped},
};

EStatement KindOf(const std::string& pKeyword)
{
    if (!pKeyword.empty() && pKeyword[0] == '#')
        return eSkipped;
    for (const StatementKind& kind : kStatements) {
        if (pKeyword == kind.mKeyword)
            return kind.mKind;
    }
    return eUnsupported;
}

// Curve type words of "cstype", in type order from 1.
const char* const kCurveTypes[] = {"bmatrix", "bezier", "bspline", "cardinal", "taylor"};

}  // namespace

KQelReaderObj::KQelReaderObj(KQelSdkManager& pManager)
    : KQelReader(pManager), mFile(new KTextReader), mCreateReferenceNode(true), mMaterialLibrarySeen(false),
      mTexturedMaterialSeen(false), mPositions(4096), mTextureCoordinates(4096), mNormals(4096),
      mParameterVertices(16), mState(new ReadState)
{
}

KQelReaderObj::~KQelReaderObj()
{
    FileClose();
    CloseMtlLibrary();
}

bool KQelReaderObj::FileOpen(const char* pFileName)
{
    if (IsFileOpen())
        FileClose();
    if (!mFile->Open(pFileName)) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    mFileName = pFileName;
    return true;
}

bool KQelReaderObj::FileClose()
{
    const bool closed = mFile->Close();
    mFileName.Empty();
    return closed;
}

bool KQelReaderObj::IsFileOpen()
{
    return mFile->IsOpen();
}

KStreamOptions* KQelReaderObj::GetReadOptions(bool /*pParseFile*/)
{
    return KStreamOptionsObjCreate();
}

bool KQelReaderObj::ComputeLongestLineInFile()
{
    KTextReader& file = *mFile;
    const std::int64_t resume = file.Tell();
    file.Seek(0);
    std::vector<char> chunk(65537);
    std::int64_t longest = 0;
    std::int64_t logical = 0;
    std::int64_t physical = 0;
    int last = 0;  // last character of the physical line that is not white
    std::size_t length = 0;
    bool ended = false;
    for (;;) {
        const bool read = file.ReadLine(chunk.data(), chunk.size() - 1, length, ended);
        physical += static_cast<std::int64_t>(length);
        for (std::size_t i = length; i-- > 0;) {
            if (!IsSpace(static_cast<unsigned char>(chunk[i]))) {
                last = static_cast<unsigned char>(chunk[i]);
                break;
            }
        }
        if (read && !ended)
            continue;
        // A line ending in a backslash goes on with the next.
        logical += physical;
        if (!(read && last == '\\')) {
            longest = std::max(longest, logical);
            logical = 0;
        }
        physical = 0;
        last = 0;
        if (!read)
            break;
    }
    file.Seek(resume);
    const std::int64_t size = std::max<std::int64_t>(longest, 1024) + 2;
    if (size > INT_MAX)
        return false;
    sgMAX_LINE_SIZE = static_cast<int>(size);
    return true;
}

bool KQelReaderObj::ReadLine(std::string& pKeyword, char* pRest)
{
    KTextReader& file = *mFile;
    const std::size_t size = static_cast<std::size_t>(sgMAX_LINE_SIZE);
    pKeyword.clear();
    while (IsSpace(file.Peek()))
        file.Get();
    if (file.Peek() < 0)
        return false;
    while (pKeyword.size() < kKeywordLength && file.Peek() >= 0 && !IsSpace(file.Peek()))
        pKeyword += static_cast<char>(file.Get());
    std::size_t length = 0;
    if (!ReadRest(file, pRest, size, length)) {
        mState->mTooLong = true;
        return false;
    }
    length = Trim(pRest, length);
    // A backslash at the end joins the next physical line, its first word
    // included.
    while (length > 0 && pRest[length - 1] == '\\' && file.Peek() >= 0) {
        pRest[length - 1] = ' ';
        if (!ReadRest(file, pRest, size, length)) {
            mState->mTooLong = true;
            return false;
        }
        length = Trim(pRest, length);
    }
    return true;
}

bool KQelReaderObj::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!IsFileOpen()) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    if (!pOptions || !pOptions->Is(KStreamOptionsObj::ClassId)) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    mCreateReferenceNode = static_cast<KStreamOptionsBase*>(pOptions)->GetOption(KStreamOptionsBase::eCreateReferenceNode) == 1;
    if (!ComputeLongestLineInFile())
        return false;
    const std::size_t size = static_cast<std::size_t>(sgMAX_LINE_SIZE);
    std::unique_ptr<char, void (*)(void*)> rest(static_cast<char*>(std::malloc(size)), std::free);
    std::unique_ptr<char, void (*)(void*)> library(static_cast<char*>(std::malloc(size)), std::free);
    if (!rest || !library)
        return false;

    ReadState& state = *mState;
    state.mGroup = "default";
    state.mMesh = nullptr;
    state.mSmoothingGroup = 0;
    state.mMaterial = nullptr;
    state.mTexture = nullptr;
    state.mCurveType = KObjSurf::eNone;
    state.mRational = false;
    state.mDegreeU = state.mDegreeV = 0;
    state.mRoot = pScene.GetRootNode();
    state.mTooLong = false;
    state.mLibraryLine = library.get();

    std::string keyword;
    bool failed = false;
    while (!failed && ReadLine(keyword, rest.get()))
        failed = !HandleStatement(keyword, rest.get());
    CloseMtlLibrary();
    state.mLibraryLine = nullptr;
    if (failed || state.mTooLong) {
        DeleteObjMeshes();
        return false;
    }
    return LoadScene(pScene);
}

bool KQelReaderObj::HandleStatement(const std::string& pKeyword, char* pRest)
{
    ReadState& state = *mState;
    double values[4] = {0.0, 0.0, 0.0, 0.0};
    switch (KindOf(pKeyword)) {
    case eVertex: {
        const int count = obj_detail::ParseDoubles(pRest, values, 4);
        return count >= 3 && mPositions.Add(KQelVector4(values[0], values[1], values[2], count == 4 ? values[3] : 1.0)) >= 0;
    }
    case eNormal:
        return obj_detail::ParseDoubles(pRest, values, 3) == 3 &&
               mNormals.Add(KQelVector4(values[0], values[1], values[2], 0.0)) >= 0;
    case eTexture:
        return obj_detail::ParseDoubles(pRest, values, 3) > 0 &&
               mTextureCoordinates.Add(KQelVector2(values[0], values[1])) >= 0;
    case eParameter: {
        const int count = obj_detail::ParseDoubles(pRest, values, 3);
        return count > 0 && mParameterVertices.Add(KQelVector4(values[0], values[1], count == 3 ? values[2] : 1.0, 0.0)) >= 0;
    }
    case eFace:
        return HandleFace(pRest);
    case eGroup: {
        state.mGroup = *pRest ? pRest : "default";
        const std::size_t blank = state.mGroup.find(' ');
        if (blank != std::string::npos && blank <= 4095)
            state.mGroup[blank] = '_';
        state.mMesh = nullptr;
        return true;
    }
    case eSmoothing: {
        int group = 0;
        if (obj_detail::ParseInt32(pRest, group))
            state.mSmoothingGroup = group;
        else if (obj_detail::FirstWord(pRest, kKeywordLength) == "off")
            state.mSmoothingGroup = 0;
        return true;
    }
    case eUseMaterial: {
        const std::string name = obj_detail::FirstWord(pRest);
        if (!name.empty())
            UseMaterial(name.c_str());
        return true;
    }
    case eMaterialLibrary:
        mMaterialLibrarySeen = true;
        if (!OpenLibrary(pRest))
            mMessage += "Unable to load material library\n";
        return true;
    case eCurveType: {
        const char* cursor = pRest;
        std::string word = obj_detail::TakeWord(cursor, kKeywordLength);
        // Once rational, rational for the rest of the file.
        if (word == "rat") {
            state.mRational = true;
            word = obj_detail::TakeWord(cursor, kKeywordLength);
        }
        for (int i = 0; i < 5; ++i) {
            if (word == kCurveTypes[i])
                state.mCurveType = static_cast<KObjSurf::ECurveType>(i + 1);
        }
        return true;
    }
    case eDegree: {
        const char* end = pRest;
        long long degree = 0;
        int* degrees[2] = {&state.mDegreeU, &state.mDegreeV};
        for (int* target : degrees) {
            if (!KReadInteger(end, degree, &end))
                break;
            if (degree >= INT_MIN && degree <= INT_MAX)
                *target = static_cast<int>(degree);
        }
        return true;
    }
    case eCurve:
        SkipBlock(nullptr, pRest);
        return true;
    case eSurface:
        return HandleSurface(pRest);
    case eSkipped:
        return true;
    case eUnsupported:
        mMessage += "Object not supported : ";
        mMessage += pKeyword.c_str();
        mMessage += "\n";
        return true;
    }
    return true;
}

bool KQelReaderObj::HandleFace(char* pRest)
{
    ReadState& state = *mState;
    if (!state.mMesh) {
        const std::string key = obj_detail::LowerAscii(state.mGroup);
        auto found = state.mGroupIndex.find(key);
        if (found == state.mGroupIndex.end()) {
            found = state.mGroupIndex.emplace(key, state.mGroups.size()).first;
            state.mGroups.push_back(ReadState::Group{state.mGroup, std::unique_ptr<KObjMesh>(new KObjMesh)});
        }
        state.mMesh = state.mGroups[found->second].mMesh.get();
    }
    obj_detail::SplitInPlace(pRest, state.mPieces);
    if (state.mPieces.size() < 3)
        return true;
    std::unique_ptr<KObjFace> face(new KObjFace(state.mSmoothingGroup, state.mMaterial, state.mTexture,
                                                static_cast<int>(std::min<std::size_t>(state.mPieces.size(), INT_MAX))));
    if (ParseObjFace(face.get(), pRest))
        state.mMesh->AddFace(face.release(), state.mSmoothingGroup);
    return true;
}

bool KQelReaderObj::ParseObjFace(KObjFace* pFace, char* /*pRest*/)
{
    // The pieces of the rest were split by HandleFace.
    const int uvCount = mTexturedMaterialSeen ? mTextureCoordinates.GetCount() : 0;
    for (char* piece : mState->mPieces) {
        KIndexGroup group;
        if (!ParseVertexGroup(group, piece))
            return false;
        group.mPosition = ConvertIndex(group.mPosition, mPositions.GetCount());
        group.mTexture = ConvertIndex(group.mTexture, uvCount);
        group.mNormal = ConvertIndex(group.mNormal, mNormals.GetCount());
        pFace->AddVertexGroup(group);
    }
    return true;
}

bool KQelReaderObj::ParseObjSurf(KObjSurf* pSurface, char* pRest)
{
    std::vector<char*>& pieces = mState->mPieces;
    obj_detail::SplitInPlace(pRest, pieces);
    if (pieces.size() < 4)
        return false;
    for (int i = 0; i < 4; ++i)
        obj_detail::ParseDoubles(pieces[static_cast<std::size_t>(i)], &pSurface->mRange[i], 1);
    for (std::size_t i = 4; i < pieces.size(); ++i) {
        KIndexGroup group;
        if (!ParseVertexGroup(group, pieces[i]))
            return false;
        group.mPosition = ConvertIndex(group.mPosition, mPositions.GetCount());
        group.mTexture = ConvertIndex(group.mTexture, mTextureCoordinates.GetCount());
        group.mNormal = ConvertIndex(group.mNormal, mNormals.GetCount());
        pSurface->AddVertexGroup(group);
    }
    return true;
}

bool KQelReaderObj::ParseVertexGroup(KIndexGroup& pGroup, const char* pText)
{
    if (!pText)
        return false;
    pGroup = KIndexGroup(0, 0, 0);
    // Runs of '/' are one separator; "//" leaves out the texture coordinate.
    const bool noTexture = std::strstr(pText, "//") != nullptr;
    kInt* targets[3] = {&pGroup.mPosition, noTexture ? &pGroup.mNormal : &pGroup.mTexture,
                        noTexture ? nullptr : &pGroup.mNormal};
    const char* p = pText;
    for (kInt* target : targets) {
        while (*p == '/')
            ++p;
        if (!*p || !target)
            break;
        long long value = 0;
        if (KReadInteger(p, value))
            *target = value >= INT_MIN && value <= INT_MAX ? static_cast<kInt>(value) : INT_MIN;
        while (*p && *p != '/')
            ++p;
    }
    return pGroup.mPosition != 0;
}

int KQelReaderObj::ConvertIndex(int pIndex, int pCount)
{
    const long long index = pIndex;
    if (index < 0 && index != INT_MIN && -index <= pCount)
        return static_cast<int>(pCount + index);
    if (index >= 1 && index <= pCount)
        return static_cast<int>(index - 1);
    return -1;
}

bool KQelReaderObj::HandleSurface(char* pRest)
{
    ReadState& state = *mState;
    // A surface needs a curve type: the read fails without one.
    if (state.mCurveType == KObjSurf::eNone)
        return false;
    KObjSurf surface(state.mCurveType, state.mRational, state.mDegreeU, state.mDegreeV, state.mMaterial,
                     state.mTexture);
    ParseObjSurf(&surface, pRest);
    SkipBlock(&surface, pRest);
    if (KQelNurb* nurb = CreateQelGeometryFromObjSurf(&surface)) {
        KName name(state.mGroup.c_str());
        mRenaming.Rename(name);
        KQelNode* node = mManager.CreateKQelNode(name.GetCurrentName());
        if (node) {
            node->SetNodeAttribute(nurb);
            state.mRoot->AddChild(node);
        } else {
            mManager.DestroyKQelNodeAttribute(nurb);
        }
    }
    return true;
}

void KQelReaderObj::SkipBlock(KObjSurf* pSurface, char* pRest)
{
    std::string keyword;
    // A block cut by the end of the file ends there.
    while (ReadLine(keyword, pRest) && keyword != "end") {
        if (pSurface && keyword == "parm")
            pSurface->ReadParm(pRest);
    }
}

bool KQelReaderObj::LoadScene(KQelScene& pScene)
{
    ReadState& state = *mState;
    KQelNode* parent = pScene.GetRootNode();
    if (mCreateReferenceNode) {
        KString name = ExtractFileName(mFileName.Buffer(), false) + "_root";
        KQelNode* reference = mManager.CreateKQelNode(name.Buffer());
        if (!reference) {
            DeleteObjMeshes();
            return false;
        }
        parent->AddChild(reference);
        parent = reference;
    }
    std::vector<std::string> keys;
    keys.reserve(state.mGroups.size());
    for (const ReadState::Group& group : state.mGroups)
        keys.push_back(obj_detail::LowerAscii(group.mName));
    std::vector<std::size_t> order(state.mGroups.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&keys](std::size_t pA, std::size_t pB) { return keys[pA] < keys[pB]; });

    bool built = true;
    for (std::size_t index : order) {
        ReadState::Group& group = state.mGroups[index];
        KName name(group.mName.c_str());
        mRenaming.Rename(name);
        KQelNode* node = mManager.CreateKQelNode(name.GetCurrentName());
        if (!node) {
            built = false;
            break;
        }
        KQelMesh* mesh = CreateQelMeshFromObjMesh(group.mMesh.get());
        if (!mesh) {
            mManager.DestroyKQelNode(node, true);
            built = false;
            break;
        }
        node->SetNodeAttribute(mesh);
        if (mTexturedMaterialSeen)
            node->SetShadingMode(KQelNode::eFullShading);
        parent->AddChild(node);
    }
    DeleteObjMeshes();
    return built;
}

void KQelReaderObj::DeleteObjMeshes()
{
    mState->mGroups.clear();
    mState->mGroupIndex.clear();
    mState->mMesh = nullptr;
}

namespace obj_detail {

void SplitInPlace(char* pText, std::vector<char*>& pPieces)
{
    pPieces.clear();
    char* p = pText;
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (!*p)
            return;
        pPieces.push_back(p);
        while (*p && *p != ' ' && *p != '\t')
            ++p;
        if (!*p)
            return;
        *p++ = '\0';
    }
}

int ParseDoubles(const char* pText, double* pValues, int pMax)
{
    const char* p = pText;
    int count = 0;
    while (count < pMax) {
        char* end = nullptr;
        const double value = KParseDoubleC(p, &end);
        if (end == p)
            break;
        pValues[count++] = value;
        p = end;
    }
    return count;
}

bool ParseInt32(const char* pText, int& pValue)
{
    long long value = 0;
    if (!KReadInteger(pText, value) || value < INT_MIN || value > INT_MAX)
        return false;
    pValue = static_cast<int>(value);
    return true;
}

std::string TakeWord(const char*& pCursor, std::size_t pMax)
{
    const char* start = pCursor;
    while (IsSpace(static_cast<unsigned char>(*start)))
        ++start;
    const char* end = start;
    while (*end && !IsSpace(static_cast<unsigned char>(*end)) && static_cast<std::size_t>(end - start) < pMax)
        ++end;
    pCursor = end;
    return std::string(start, end);
}

std::string FirstWord(const char* pText, std::size_t pMax)
{
    const char* cursor = pText;
    return TakeWord(cursor, pMax);
}

std::string LowerAscii(const std::string& pText)
{
    std::string lower(pText);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
    return lower;
}

bool ReadLibraryStatement(KTextReader& pFile, std::string& pKeyword, char* pRest, std::size_t pSize)
{
    pKeyword.clear();
    while (IsSpace(pFile.Peek()))
        pFile.Get();
    if (pFile.Peek() < 0)
        return false;
    while (pKeyword.size() < kKeywordLength && pFile.Peek() >= 0 && !IsSpace(pFile.Peek()))
        pKeyword += static_cast<char>(pFile.Get());
    std::size_t length = 0;
    bool ended = false;
    pFile.ReadLine(pRest, pSize - 1, length, ended);
    return true;
}

}  // namespace obj_detail

}  // namespace qelsdk_600
