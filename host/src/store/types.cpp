#include "store/types.h"

#include <string>
#include <vector>

namespace vesk {
namespace {

struct TypeRow {
    MFn::Type type;
    MFn::Type parent;
    const char* name;
};

// The tree documented in vesk/MFn.h.
const TypeRow kTypes[] = {
    {MFn::kDependencyNode, MFn::kInvalid, "kDependencyNode"},
    {MFn::kDagNode, MFn::kDependencyNode, "kDagNode"},
    {MFn::kWorld, MFn::kDagNode, "kWorld"},
    {MFn::kTransform, MFn::kDagNode, "kTransform"},
    {MFn::kJoint, MFn::kTransform, "kJoint"},
    {MFn::kLookAt, MFn::kTransform, "kLookAt"},
    {MFn::kFixtureTransform, MFn::kTransform, "kFixtureTransform"},
    {MFn::kShape, MFn::kDagNode, "kShape"},
    {MFn::kLocator, MFn::kShape, "kLocator"},
    {MFn::kMesh, MFn::kShape, "kMesh"},
    {MFn::kSurface, MFn::kShape, "kSurface"},
    {MFn::kNurbsSurface, MFn::kSurface, "kNurbsSurface"},
    {MFn::kCamera, MFn::kShape, "kCamera"},
    {MFn::kClusterHandle, MFn::kShape, "kClusterHandle"},
    {MFn::kLight, MFn::kShape, "kLight"},
    {MFn::kDirectionalLight, MFn::kLight, "kDirectionalLight"},
    {MFn::kPointLight, MFn::kLight, "kPointLight"},
    {MFn::kSpotLight, MFn::kLight, "kSpotLight"},
    {MFn::kAmbientLight, MFn::kLight, "kAmbientLight"},
    {MFn::kAreaLight, MFn::kLight, "kAreaLight"},
    {MFn::kVolumeLight, MFn::kLight, "kVolumeLight"},
    {MFn::kGeometryFilter, MFn::kDependencyNode, "kGeometryFilter"},
    {MFn::kSkinClusterFilter, MFn::kGeometryFilter, "kSkinClusterFilter"},
    {MFn::kCluster, MFn::kGeometryFilter, "kCluster"},
    {MFn::kJointCluster, MFn::kGeometryFilter, "kJointCluster"},
    {MFn::kBlendShape, MFn::kGeometryFilter, "kBlendShape"},
    {MFn::kWrapFilter, MFn::kGeometryFilter, "kWrapFilter"},
    {MFn::kSet, MFn::kDependencyNode, "kSet"},
    {MFn::kShadingEngine, MFn::kSet, "kShadingEngine"},
    {MFn::kLambert, MFn::kDependencyNode, "kLambert"},
    {MFn::kReflect, MFn::kLambert, "kReflect"},
    {MFn::kPhong, MFn::kReflect, "kPhong"},
    {MFn::kSurfaceShader, MFn::kDependencyNode, "kSurfaceShader"},
    {MFn::kFileTexture, MFn::kDependencyNode, "kFileTexture"},
    {MFn::kLayeredTexture, MFn::kDependencyNode, "kLayeredTexture"},
    {MFn::kPlace2dTexture, MFn::kDependencyNode, "kPlace2dTexture"},
    {MFn::kShaderList, MFn::kDependencyNode, "kShaderList"},
    {MFn::kGroupId, MFn::kDependencyNode, "kGroupId"},
    {MFn::kDagPose, MFn::kDependencyNode, "kDagPose"},
    {MFn::kPolySmoothFacet, MFn::kDependencyNode, "kPolySmoothFacet"},
    {MFn::kAnimCurve, MFn::kDependencyNode, "kAnimCurve"},
    {MFn::kAnimCurveTimeToAngular, MFn::kAnimCurve, "kAnimCurveTimeToAngular"},
    {MFn::kAnimCurveTimeToDistance, MFn::kAnimCurve, "kAnimCurveTimeToDistance"},
    {MFn::kAnimCurveTimeToTime, MFn::kAnimCurve, "kAnimCurveTimeToTime"},
    {MFn::kAnimCurveTimeToUnitless, MFn::kAnimCurve, "kAnimCurveTimeToUnitless"},
    {MFn::kAnimCurveUnitlessToAngular, MFn::kAnimCurve, "kAnimCurveUnitlessToAngular"},
    {MFn::kAnimCurveUnitlessToDistance, MFn::kAnimCurve, "kAnimCurveUnitlessToDistance"},
    {MFn::kAnimCurveUnitlessToTime, MFn::kAnimCurve, "kAnimCurveUnitlessToTime"},
    {MFn::kAnimCurveUnitlessToUnitless, MFn::kAnimCurve, "kAnimCurveUnitlessToUnitless"},
    {MFn::kAnimCurveUnknown, MFn::kAnimCurve, "kAnimCurveUnknown"},
    {MFn::kComponent, MFn::kInvalid, "kComponent"},
    {MFn::kSingleIndexedComponent, MFn::kComponent, "kSingleIndexedComponent"},
    {MFn::kMeshVertComponent, MFn::kSingleIndexedComponent, "kMeshVertComponent"},
    {MFn::kMeshPolygonComponent, MFn::kSingleIndexedComponent, "kMeshPolygonComponent"},
    {MFn::kDoubleIndexedComponent, MFn::kComponent, "kDoubleIndexedComponent"},
    {MFn::kSurfaceCVComponent, MFn::kDoubleIndexedComponent, "kSurfaceCVComponent"},
    {MFn::kAttribute, MFn::kInvalid, "kAttribute"},
    {MFn::kNumericAttribute, MFn::kAttribute, "kNumericAttribute"},
    {MFn::kUnitAttribute, MFn::kAttribute, "kUnitAttribute"},
    {MFn::kEnumAttribute, MFn::kAttribute, "kEnumAttribute"},
    {MFn::kTypedAttribute, MFn::kAttribute, "kTypedAttribute"},
    {MFn::kCompoundAttribute, MFn::kAttribute, "kCompoundAttribute"},
    {MFn::kMessageAttribute, MFn::kAttribute, "kMessageAttribute"},
    {MFn::kMatrixAttribute, MFn::kAttribute, "kMatrixAttribute"},
    {MFn::kData, MFn::kInvalid, "kData"},
    {MFn::kNumericData, MFn::kData, "kNumericData"},
    {MFn::kMatrixData, MFn::kData, "kMatrixData"},
    {MFn::kStringData, MFn::kData, "kStringData"},
    {MFn::kMeshData, MFn::kData, "kMeshData"},
    {MFn::kNurbsSurfaceData, MFn::kData, "kNurbsSurfaceData"},
    {MFn::kPlugin, MFn::kInvalid, "kPlugin"},
};

struct TypeTable {
    std::vector<int> parent;
    std::vector<std::string> name;
    std::vector<bool> known;

    TypeTable() : parent(MFn::kLast + 1, MFn::kInvalid), name(MFn::kLast + 1), known(MFn::kLast + 1, false)
    {
        for (const TypeRow& row : kTypes)
            add(row.type, row.parent, row.name);
    }
    bool add(int t, int p, const char* n)
    {
        if (t <= 0 || t > MFn::kLast || known[t] || p < 0 || p > MFn::kLast)
            return false;
        parent[t] = p;
        name[t] = n ? n : "";
        known[t] = true;
        return true;
    }
};

TypeTable& table()
{
    static TypeTable* t = new TypeTable;
    return *t;
}

} // namespace

bool typeIsA(MFn::Type t, MFn::Type base)
{
    if (t <= 0 || t > MFn::kLast || base <= 0 || base > MFn::kLast)
        return false;
    const TypeTable& tt = table();
    for (int cur = t; cur > 0; cur = tt.parent[cur])
        if (cur == base)
            return true;
    return false;
}

MFn::Type typeParent(MFn::Type t)
{
    if (t <= 0 || t > MFn::kLast)
        return MFn::kInvalid;
    return static_cast<MFn::Type>(table().parent[t]);
}

const char* typeName(MFn::Type t)
{
    if (t <= 0 || t > MFn::kLast || !table().known[t])
        return "kInvalid";
    return table().name[t].c_str();
}

bool registerType(MFn::Type t, MFn::Type parent, const char* name)
{
    return table().add(t, parent, name);
}

} // namespace vesk
