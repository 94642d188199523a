// Mesh geometry: building, corners around vertices, the normal list.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "geometry/mesh_geometry.h"

namespace vesk {
namespace {

// The unit normal of a polygon by Newell's method (zero when degenerate).
MVector polygonNormal(const std::vector<MPoint>& points, const int* corners, int count)
{
    MVector n;
    for (int i = 0; i < count; ++i) {
        const MPoint& a = points[corners[i]];
        const MPoint& b = points[corners[(i + 1) % count]];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n.normal();
}

// A normal as a key of exact equality.
struct NormalKey {
    double v[3];
    bool operator==(const NormalKey& o) const { return std::memcmp(v, o.v, sizeof v) == 0; }
};
struct NormalKeyHash {
    size_t operator()(const NormalKey& k) const
    {
        uint64_t h = 1469598103934665603ull;
        const unsigned char* b = reinterpret_cast<const unsigned char*>(k.v);
        for (size_t i = 0; i < sizeof k.v; ++i)
            h = (h ^ b[i]) * 1099511628211ull;
        return static_cast<size_t>(h);
    }
};

// Distinct normals of one vertex in order of first appearance: a short list
// scanned, a hash index once it grows.
class DistinctNormals {
public:
    void clear()
    {
        mList.clear();
        mIndex.clear();
    }
    // The position of n among the distinct normals, added when new.
    int add(const MVector& n)
    {
        // Adding 0 makes -0 and 0 one key, as they compare equal.
        const NormalKey key = {{n.x + 0.0, n.y + 0.0, n.z + 0.0}};
        if (mList.size() <= kScan) {
            for (size_t i = 0; i < mList.size(); ++i)
                if (mList[i] == n)
                    return static_cast<int>(i);
            if (mList.size() == kScan)
                for (size_t i = 0; i < mList.size(); ++i)
                    mIndex.emplace(NormalKey{{mList[i].x + 0.0, mList[i].y + 0.0, mList[i].z + 0.0}}, static_cast<int>(i));
        } else {
            auto it = mIndex.find(key);
            if (it != mIndex.end())
                return it->second;
        }
        if (mList.size() >= kScan)
            mIndex.emplace(key, static_cast<int>(mList.size()));
        mList.push_back(n);
        return static_cast<int>(mList.size()) - 1;
    }
    const std::vector<MVector>& list() const { return mList; }

private:
    static constexpr size_t kScan = 8;
    std::vector<MVector> mList;
    std::unordered_map<NormalKey, int, NormalKeyHash> mIndex;
};

} // namespace

MeshGeometry::MeshGeometry() : RefObject(MFn::kMeshData)
{
    mOffsets.push_back(0);
    mUVSets.push_back(UVSet{"map1", {}, {}, {}});
}

Ref<MeshGeometry> MeshGeometry::copy() const
{
    Ref<MeshGeometry> m(new MeshGeometry);
    m->assign(*this);
    return m;
}

void MeshGeometry::assign(const MeshGeometry& other)
{
    mPoints = other.mPoints;
    mCounts = other.mCounts;
    mOffsets = other.mOffsets;
    mConnects = other.mConnects;
    mVertexNormal = other.mVertexNormal;
    mVertexNormalSet = other.mVertexNormalSet;
    mCornerNormal = other.mCornerNormal;
    mCornerNormalSet = other.mCornerNormalSet;
    mColors = other.mColors;
    mUVSets = other.mUVSets;
    mAroundDirty = true;
    invalidate();
}

bool MeshGeometry::valid(long long vertexCount, long long polygonCount, size_t pointCount, const int* counts,
                         size_t countCount, const int* connects, size_t connectCount, std::string* error)
{
    auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (vertexCount < 0 || static_cast<unsigned long long>(vertexCount) != pointCount)
        return fail("the vertex count differs from the number of points");
    if (polygonCount < 0 || static_cast<unsigned long long>(polygonCount) < countCount)
        return fail("the polygon count is below the number of polygon counts");
    unsigned long long total = 0;
    for (size_t p = 0; p < countCount; ++p) {
        if (counts[p] < 0)
            return fail("a polygon count is negative");
        total += static_cast<unsigned long long>(counts[p]);
    }
    if (total != connectCount)
        return fail("the polygon counts do not add up to the number of polygon connects");
    for (size_t c = 0; c < connectCount; ++c)
        if (connects[c] < 0 || connects[c] >= vertexCount)
            return fail("a polygon connect names no vertex");
    return true;
}

void MeshGeometry::build(const std::vector<MPoint>& points, const int* counts, size_t polygonCount,
                         const int* connects)
{
    mPoints = points;
    mCounts.clear();
    mOffsets.assign(1, 0);
    mConnects.clear();
    size_t at = 0;
    for (size_t p = 0; p < polygonCount; ++p) {
        const int n = counts[p];
        if (n >= 3) {
            mCounts.push_back(n);
            mConnects.insert(mConnects.end(), connects + at, connects + at + n);
            mOffsets.push_back(static_cast<int>(mConnects.size()));
        }
        at += static_cast<size_t>(n);
    }
    mVertexNormal.clear();
    mVertexNormalSet.clear();
    mCornerNormal.clear();
    mCornerNormalSet.clear();
    mColors.clear();
    mUVSets.assign(1, UVSet{"map1", {}, {}, {}});
    mAroundDirty = true;
    invalidate();
}

void MeshGeometry::setPoints(const std::vector<MPoint>& points)
{
    mPoints = points;
    invalidate();
}

void MeshGeometry::setPoint(size_t i, const MPoint& p)
{
    mPoints[i] = p;
    invalidate();
}

int MeshGeometry::polygonOfCorner(size_t corner) const
{
    const auto it = std::upper_bound(mOffsets.begin(), mOffsets.end(), static_cast<int>(corner));
    return static_cast<int>(it - mOffsets.begin()) - 1;
}

int MeshGeometry::cornerAt(size_t polygon, int vertex) const
{
    for (int c = mOffsets[polygon]; c < mOffsets[polygon + 1]; ++c)
        if (mConnects[c] == vertex)
            return c;
    return -1;
}

void MeshGeometry::buildAround() const
{
    if (!mAroundDirty)
        return;
    // Counting sort of the corners by vertex: corners of a vertex ascend.
    mAroundStart.assign(mPoints.size() + 1, 0);
    for (int v : mConnects)
        ++mAroundStart[static_cast<size_t>(v) + 1];
    for (size_t v = 0; v < mPoints.size(); ++v)
        mAroundStart[v + 1] += mAroundStart[v];
    mAround.assign(mConnects.size(), 0);
    std::vector<int> fill(mAroundStart.begin(), mAroundStart.end() - 1);
    for (size_t c = 0; c < mConnects.size(); ++c)
        mAround[fill[mConnects[c]]++] = static_cast<int>(c);
    mAroundDirty = false;
}

void MeshGeometry::cornerRange(size_t vertex, int& begin, int& end) const
{
    buildAround();
    begin = mAroundStart[vertex];
    end = mAroundStart[vertex + 1];
}

const std::vector<int>& MeshGeometry::cornersAround() const
{
    buildAround();
    return mAround;
}

void MeshGeometry::buildNormals() const
{
    if (!mNormalsDirty)
        return;
    buildAround();
    const size_t vertexCount = mPoints.size();
    std::vector<MVector> faceNormal(mCounts.size());
    for (size_t p = 0; p < mCounts.size(); ++p)
        faceNormal[p] = polygonNormal(mPoints, &mConnects[mOffsets[p]], mCounts[p]);
    std::vector<int> polygonOf(mConnects.size());
    for (size_t p = 0; p < mCounts.size(); ++p)
        for (int c = mOffsets[p]; c < mOffsets[p + 1]; ++c)
            polygonOf[c] = static_cast<int>(p);

    mNormals.assign(vertexCount, MVector());
    mNormalIndex.assign(mConnects.size(), 0);
    std::vector<MVector> extra;
    DistinctNormals distinct;
    std::vector<int> slot;
    for (size_t v = 0; v < vertexCount; ++v) {
        const int begin = mAroundStart[v];
        const int end = mAroundStart[v + 1];
        MVector shared;
        if (v < mVertexNormalSet.size() && mVertexNormalSet[v]) {
            shared = mVertexNormal[v];
        } else {
            for (int i = begin; i < end; ++i)
                shared += faceNormal[polygonOf[mAround[i]]];
            shared = shared.normal();
        }
        distinct.clear();
        slot.assign(static_cast<size_t>(end - begin), 0);
        for (int i = begin; i < end; ++i) {
            const size_t c = static_cast<size_t>(mAround[i]);
            const bool own = c < mCornerNormalSet.size() && mCornerNormalSet[c];
            slot[static_cast<size_t>(i - begin)] = distinct.add(own ? mCornerNormal[c] : shared);
        }
        const std::vector<MVector>& found = distinct.list();
        if (found.size() <= 1) {
            mNormals[v] = found.empty() ? shared : found[0];
            for (int i = begin; i < end; ++i)
                mNormalIndex[mAround[i]] = static_cast<int>(v);
        } else {
            mNormals[v] = shared;
            const int first = static_cast<int>(vertexCount + extra.size());
            extra.insert(extra.end(), found.begin(), found.end());
            for (int i = begin; i < end; ++i)
                mNormalIndex[mAround[i]] = first + slot[static_cast<size_t>(i - begin)];
        }
    }
    mNormals.insert(mNormals.end(), extra.begin(), extra.end());
    mNormalsDirty = false;
}

size_t MeshGeometry::numNormals() const
{
    buildNormals();
    return mNormals.size();
}

const std::vector<MVector>& MeshGeometry::normalList() const
{
    buildNormals();
    return mNormals;
}

int MeshGeometry::normalIndex(size_t corner) const
{
    buildNormals();
    return mNormalIndex[corner];
}

MVector MeshGeometry::cornerNormal(size_t corner) const
{
    buildNormals();
    return mNormals[static_cast<size_t>(mNormalIndex[corner])];
}

void MeshGeometry::setVertexNormal(size_t vertex, const MVector& n)
{
    if (mVertexNormalSet.empty()) {
        mVertexNormal.assign(mPoints.size(), MVector());
        mVertexNormalSet.assign(mPoints.size(), 0);
    }
    mVertexNormal[vertex] = n;
    mVertexNormalSet[vertex] = 1;
    if (!mCornerNormalSet.empty()) {
        int begin, end;
        cornerRange(vertex, begin, end);
        for (int i = begin; i < end; ++i)
            mCornerNormalSet[mAround[i]] = 0;
    }
    invalidate();
}

void MeshGeometry::setCornerNormal(size_t corner, const MVector& n)
{
    if (mCornerNormalSet.empty()) {
        mCornerNormal.assign(mConnects.size(), MVector());
        mCornerNormalSet.assign(mConnects.size(), 0);
    }
    mCornerNormal[corner] = n;
    mCornerNormalSet[corner] = 1;
    invalidate();
}

MColor MeshGeometry::cornerColor(size_t corner) const
{
    return mColors.empty() ? MColor(-1.0f, -1.0f, -1.0f, -1.0f) : mColors[corner];
}

void MeshGeometry::setCornerColor(size_t corner, const MColor& c)
{
    if (mColors.empty())
        mColors.assign(mConnects.size(), MColor(-1.0f, -1.0f, -1.0f, -1.0f));
    mColors[corner] = c;
}

UVSet* MeshGeometry::uvSet(const std::string& name)
{
    if (name.empty())
        return mUVSets.empty() ? nullptr : &mUVSets[0];
    for (UVSet& s : mUVSets)
        if (s.name == name)
            return &s;
    return nullptr;
}

const UVSet* MeshGeometry::uvSet(const std::string& name) const
{
    return const_cast<MeshGeometry*>(this)->uvSet(name);
}

} // namespace vesk
