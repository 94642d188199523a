// The node kinds of the host and their static attributes, as data.
#include <vesk/MFnData.h>
#include <vesk/MFnNumericData.h>

#include "store/kind.h"
#include "store/node_store.h"
#include "store/transform_limits.h"
#include "store/types.h"

namespace vesk {
namespace {

// Value shapes of the table rows.
enum Spec : unsigned char {
    kBool,
    kShort,
    kInt,
    kFloat,
    kDouble,
    kAngle,
    kDistance,
    kTime,
    kEnum,
    kString,
    kMatrix,
    kMessage,
    kMeshData,
    kSurfaceData,
    kGeometryData,
    kDouble3,   // numeric compound of three doubles ("…X/Y/Z")
    kColor3,    // numeric compound of three floats used as a colour ("…R/G/B")
    kFloat2,    // numeric compound of two floats ("…X/Y")
    kDistance3, // compound of three distances ("…X/Y/Z")
    kAngle3,    // compound of three angles ("…X/Y/Z")
    kCompound   // compound whose children are the next `children` rows
};

enum Flag : unsigned {
    kArray = 1,
    kOutput = 2, // readable only: never a destination, never set
    kKeyable = 4,
    kHidden = 8,
    kNoConnect = 16
};

struct AttrRow {
    const char* longName;
    const char* shortName;
    Spec spec;
    double def;
    unsigned flags;
    // Enum fields "name=value,name=value", or the child count of kCompound.
    const char* fields;
    int children;
};

struct KindRow {
    MFn::Type type;
    MFn::Type parent;
    const char* typeName;
    bool abstract;
    const AttrRow* attrs;
    int attrCount;
};

constexpr double kDegree = 0.017453292519943295;

const AttrRow kDependNode[] = {
    {"message", "msg", kMessage, 0, 0, nullptr, 0},
};
const AttrRow kDagNode[] = {
    {"visibility", "v", kBool, 1, kKeyable, nullptr, 0},
    {"worldMatrix", "wm", kMatrix, 0, kArray | kOutput, nullptr, 0},
};
const AttrRow kTransform[] = {
    {"translate", "t", kDistance3, 0, kKeyable, nullptr, 0},
    {"rotate", "r", kAngle3, 0, kKeyable, nullptr, 0},
    {"scale", "s", kDouble3, 1, kKeyable, nullptr, 0},
    {"rotateOrder", "ro", kEnum, 1, 0, "xyz=1,yzx=2,zxy=3,xzy=4,yxz=5,zyx=6", 0},
    {"rotateAxis", "ra", kAngle3, 0, 0, nullptr, 0},
    {"rotatePivot", "rp", kDistance3, 0, 0, nullptr, 0},
    {"rotatePivotTranslate", "rpt", kDistance3, 0, 0, nullptr, 0},
    {"scalePivot", "sp", kDistance3, 0, 0, nullptr, 0},
    {"scalePivotTranslate", "spt", kDistance3, 0, 0, nullptr, 0},
};
const AttrRow kJoint[] = {
    {"jointOrient", "jo", kAngle3, 0, 0, nullptr, 0},
    {"bindPose", "bps", kMatrix, 0, 0, nullptr, 0},
};
const AttrRow kLookAt[] = {
    {"twist", "tw", kAngle, 0, kKeyable, nullptr, 0},
};
const AttrRow kMesh[] = {
    {"inMesh", "i", kMeshData, 0, kHidden, nullptr, 0},
    {"outMesh", "o", kMeshData, 0, kOutput | kHidden, nullptr, 0},
};
const AttrRow kNurbsSurface[] = {
    {"inSurface", "is", kSurfaceData, 0, kHidden, nullptr, 0},
    {"outSurface", "os", kSurfaceData, 0, kOutput | kHidden, nullptr, 0},
    {"curvePrecisionShaded", "cps", kInt, 4, 0, nullptr, 0},
};
// The flag words of the camera command, with its defaults.
const AttrRow kCamera[] = {
    {"centerOfInterest", "coi", kDistance, 5, 0, nullptr, 0},
    {"focalLength", "fl", kDouble, 35, kKeyable, nullptr, 0},
    {"lensSqueezeRatio", "lsr", kDouble, 1, 0, nullptr, 0},
    {"cameraScale", "cs", kDouble, 1, 0, nullptr, 0},
    {"horizontalFilmAperture", "hfa", kDouble, 1.41732, 0, nullptr, 0},
    {"horizontalFilmOffset", "hfo", kDouble, 0, 0, nullptr, 0},
    {"verticalFilmAperture", "vfa", kDouble, 0.94488, 0, nullptr, 0},
    {"verticalFilmOffset", "vfo", kDouble, 0, 0, nullptr, 0},
    {"filmFit", "ff", kEnum, 1, 0, "fill=0,horizontal=1,vertical=2,overscan=3", 0},
    {"overscan", "ovr", kDouble, 1, 0, nullptr, 0},
    {"motionBlur", "mb", kBool, 0, 0, nullptr, 0},
    {"shutterAngle", "sa", kAngle, 144 * kDegree, 0, nullptr, 0},
    {"nearClipPlane", "ncp", kDistance, 0.01, 0, nullptr, 0},
    {"farClipPlane", "fcp", kDistance, 1000, 0, nullptr, 0},
    {"orthographic", "o", kBool, 0, 0, nullptr, 0},
    {"orthographicWidth", "ow", kDistance, 30, 0, nullptr, 0},
    {"focusDistance", "fd", kDistance, 5, 0, nullptr, 0},
    {"clippingPlanes", "cp", kBool, 1, 0, nullptr, 0},
};
const AttrRow kClusterHandle[] = {
    {"clusterTransforms", "ct", kMessage, 0, kArray, nullptr, 0},
};
const AttrRow kLight[] = {
    {"color", "cl", kColor3, 1, kKeyable, nullptr, 0},
    {"intensity", "in", kFloat, 1, kKeyable, nullptr, 0},
};
const AttrRow kSpotLight[] = {
    {"coneAngle", "ca", kAngle, 40 * kDegree, kKeyable, nullptr, 0},
};
const AttrRow kGeometryFilter[] = {
    {"input", "ip", kCompound, 0, kArray, nullptr, 2},
    {"inputGeometry", "ig", kGeometryData, 0, kHidden, nullptr, 0},
    {"groupId", "gi", kInt, 0, kHidden, nullptr, 0},
    {"outputGeometry", "og", kGeometryData, 0, kArray | kOutput | kHidden, nullptr, 0},
    {"envelope", "en", kFloat, 1, kKeyable, nullptr, 0},
};
const AttrRow kSkinCluster[] = {
    {"weightList", "wl", kCompound, 0, kArray, nullptr, 1},
    {"weights", "w", kDouble, 1, kArray, nullptr, 0},
    {"bindPreMatrix", "pm", kMatrix, 0, kArray, nullptr, 0},
    {"geomMatrix", "gm", kMatrix, 0, 0, nullptr, 0},
    {"matrix", "ma", kMatrix, 0, kArray, nullptr, 0},
    {"normalizeWeights", "nw", kEnum, 1, 0, "none=0,interactive=1,post=2", 0},
    {"bindPose", "bp", kMessage, 0, 0, nullptr, 0},
};
// Clusters and joint clusters share their attributes.
const AttrRow kCluster[] = {
    {"weightList", "wl", kCompound, 0, kArray, nullptr, 1},
    {"weights", "w", kDouble, 1, kArray, nullptr, 0},
    {"relative", "rel", kBool, 0, 0, nullptr, 0},
    {"geomMatrix", "gm", kMatrix, 0, kArray, nullptr, 0},
    {"bindPreMatrix", "pm", kMatrix, 0, 0, nullptr, 0},
    {"matrix", "ma", kMatrix, 0, 0, nullptr, 0},
    {"clusterXforms", "x", kMessage, 0, 0, nullptr, 0},
};
// inputTarget[base].inputTargetGroup[weight].inputTargetItem[item]
// .inputGeomTarget receives a target geometry of one weight of one base;
// item 5000 + 1000 x the weight at which the target is reached in full.
const AttrRow kBlendShape[] = {
    {"weight", "w", kFloat, 0, kArray | kKeyable, nullptr, 0},
    {"inputTarget", "it", kCompound, 0, kArray, nullptr, 1},
    {"inputTargetGroup", "itg", kCompound, 0, kArray, nullptr, 1},
    {"inputTargetItem", "iti", kCompound, 0, kArray, nullptr, 1},
    {"inputGeomTarget", "igt", kGeometryData, 0, kHidden, nullptr, 0},
};
const AttrRow kSet[] = {
    {"usedBy", "ub", kMessage, 0, kArray, nullptr, 0},
};
const AttrRow kShadingEngine[] = {
    {"surfaceShader", "ss", kColor3, 0, 0, nullptr, 0},
};
const AttrRow kLambert[] = {
    {"color", "c", kColor3, 0.5, kKeyable, nullptr, 0},
    {"transparency", "it", kColor3, 0, kKeyable, nullptr, 0},
    {"ambientColor", "acl", kColor3, 0, kKeyable, nullptr, 0},
    {"outColor", "oc", kColor3, 0, kOutput, nullptr, 0},
};
const AttrRow kReflect[] = {
    {"specularColor", "sc", kColor3, 0.5, kKeyable, nullptr, 0},
};
const AttrRow kPhong[] = {
    {"cosinePower", "cp", kFloat, 20, kKeyable, nullptr, 0},
};
const AttrRow kSurfaceShader[] = {
    {"outColor", "oc", kColor3, 0, 0, nullptr, 0},
};
const AttrRow kFileTexture[] = {
    {"fileTextureName", "ftn", kString, 0, 0, nullptr, 0},
    {"uvCoord", "uv", kFloat2, 0, 0, nullptr, 0},
    {"outColor", "oc", kColor3, 0, kOutput, nullptr, 0},
    {"outAlpha", "oa", kFloat, 0, kOutput, nullptr, 0},
};
const AttrRow kLayeredTexture[] = {
    {"inputs", "cs", kCompound, 0, kArray, nullptr, 3},
    {"color", "c", kColor3, 0, 0, nullptr, 0},
    {"alpha", "a", kFloat, 1, 0, nullptr, 0},
    {"blendMode", "bm", kEnum, 0, 0, "none=0,over=1,in=2,out=3,add=4,subtract=5,multiply=6", 0},
    {"outColor", "oc", kColor3, 0, kOutput, nullptr, 0},
    {"outAlpha", "oa", kFloat, 0, kOutput, nullptr, 0},
};
const AttrRow kPlace2d[] = {
    {"repeatU", "reu", kFloat, 1, 0, nullptr, 0},
    {"repeatV", "rev", kFloat, 1, 0, nullptr, 0},
    {"offsetU", "ofu", kFloat, 0, 0, nullptr, 0},
    {"offsetV", "ofv", kFloat, 0, 0, nullptr, 0},
    {"rotateFrame", "rf", kAngle, 0, 0, nullptr, 0},
    {"rotateUV", "ruv", kAngle, 0, 0, nullptr, 0},
    {"translateFrameU", "tfu", kFloat, 0, 0, nullptr, 0},
    {"translateFrameV", "tfv", kFloat, 0, 0, nullptr, 0},
    {"outUV", "ouv", kFloat2, 0, kOutput, nullptr, 0},
};
const AttrRow kShaderList[] = {
    {"shaders", "s", kMessage, 0, kArray, nullptr, 0},
};
const AttrRow kGroupId[] = {
    {"groupId", "id", kInt, 0, 0, nullptr, 0},
};
const AttrRow kDagPose[] = {
    {"members", "m", kMessage, 0, kArray, nullptr, 0},
    {"worldMatrix", "wm", kMatrix, 0, kArray, nullptr, 0},
    {"xformMatrix", "xm", kMatrix, 0, kArray, nullptr, 0},
    {"bindPose", "bp", kBool, 0, 0, nullptr, 0},
};
const AttrRow kPolySmooth[] = {
    {"divisions", "dv", kInt, 1, 0, nullptr, 0},
    {"inputPolymesh", "ip", kMeshData, 0, kHidden, nullptr, 0},
    {"output", "out", kMeshData, 0, kOutput | kHidden, nullptr, 0},
};
const AttrRow kAnimCurve[] = {
    {"input", "i", kDouble, 0, 0, nullptr, 0},
    {"output", "o", kDouble, 0, kOutput, nullptr, 0},
};

#define VESK_ROWS(table) table, static_cast<int>(sizeof table / sizeof table[0])
#define VESK_NO_ROWS nullptr, 0

const KindRow kKinds[] = {
    {MFn::kDependencyNode, MFn::kInvalid, "dependNode", true, VESK_ROWS(kDependNode)},
    {MFn::kDagNode, MFn::kDependencyNode, "dagNode", true, VESK_ROWS(kDagNode)},
    {MFn::kWorld, MFn::kDagNode, "world", true, VESK_NO_ROWS},
    {MFn::kTransform, MFn::kDagNode, "transform", false, VESK_ROWS(kTransform)},
    {MFn::kJoint, MFn::kTransform, "joint", false, VESK_ROWS(kJoint)},
    {MFn::kLookAt, MFn::kTransform, "lookAt", false, VESK_ROWS(kLookAt)},
    {MFn::kFixtureTransform, MFn::kTransform, "fixtureTransform", false, VESK_NO_ROWS},
    {MFn::kShape, MFn::kDagNode, "shape", true, VESK_NO_ROWS},
    {MFn::kLocator, MFn::kShape, "locator", false, VESK_NO_ROWS},
    {MFn::kMesh, MFn::kShape, "mesh", false, VESK_ROWS(kMesh)},
    {MFn::kSurface, MFn::kShape, "surfaceShape", true, VESK_NO_ROWS},
    {MFn::kNurbsSurface, MFn::kSurface, "nurbsSurface", false, VESK_ROWS(kNurbsSurface)},
    {MFn::kCamera, MFn::kShape, "camera", false, VESK_ROWS(kCamera)},
    {MFn::kClusterHandle, MFn::kShape, "clusterHandle", false, VESK_ROWS(kClusterHandle)},
    {MFn::kLight, MFn::kShape, "light", true, VESK_ROWS(kLight)},
    {MFn::kDirectionalLight, MFn::kLight, "directionalLight", false, VESK_NO_ROWS},
    {MFn::kPointLight, MFn::kLight, "pointLight", false, VESK_NO_ROWS},
    {MFn::kSpotLight, MFn::kLight, "spotLight", false, VESK_ROWS(kSpotLight)},
    {MFn::kAmbientLight, MFn::kLight, "ambientLight", false, VESK_NO_ROWS},
    {MFn::kAreaLight, MFn::kLight, "areaLight", false, VESK_NO_ROWS},
    {MFn::kVolumeLight, MFn::kLight, "volumeLight", false, VESK_NO_ROWS},
    {MFn::kGeometryFilter, MFn::kDependencyNode, "geometryFilter", true, VESK_ROWS(kGeometryFilter)},
    {MFn::kSkinClusterFilter, MFn::kGeometryFilter, "skinCluster", false, VESK_ROWS(kSkinCluster)},
    {MFn::kCluster, MFn::kGeometryFilter, "cluster", false, VESK_ROWS(kCluster)},
    {MFn::kJointCluster, MFn::kGeometryFilter, "jointCluster", false, VESK_ROWS(kCluster)},
    {MFn::kBlendShape, MFn::kGeometryFilter, "blendShape", false, VESK_ROWS(kBlendShape)},
    {MFn::kWrapFilter, MFn::kGeometryFilter, "wrap", false, VESK_NO_ROWS},
    {MFn::kSet, MFn::kDependencyNode, "objectSet", false, VESK_ROWS(kSet)},
    {MFn::kShadingEngine, MFn::kSet, "shadingEngine", false, VESK_ROWS(kShadingEngine)},
    {MFn::kLambert, MFn::kDependencyNode, "lambert", false, VESK_ROWS(kLambert)},
    {MFn::kReflect, MFn::kLambert, "reflect", false, VESK_ROWS(kReflect)},
    {MFn::kPhong, MFn::kReflect, "phong", false, VESK_ROWS(kPhong)},
    {MFn::kSurfaceShader, MFn::kDependencyNode, "surfaceShader", false, VESK_ROWS(kSurfaceShader)},
    {MFn::kFileTexture, MFn::kDependencyNode, "file", false, VESK_ROWS(kFileTexture)},
    {MFn::kLayeredTexture, MFn::kDependencyNode, "layeredTexture", false, VESK_ROWS(kLayeredTexture)},
    {MFn::kPlace2dTexture, MFn::kDependencyNode, "place2dTexture", false, VESK_ROWS(kPlace2d)},
    {MFn::kShaderList, MFn::kDependencyNode, "shaderList", false, VESK_ROWS(kShaderList)},
    {MFn::kGroupId, MFn::kDependencyNode, "groupId", false, VESK_ROWS(kGroupId)},
    {MFn::kDagPose, MFn::kDependencyNode, "dagPose", false, VESK_ROWS(kDagPose)},
    {MFn::kPolySmoothFacet, MFn::kDependencyNode, "polySmoothFace", false, VESK_ROWS(kPolySmooth)},
    {MFn::kAnimCurve, MFn::kDependencyNode, "animCurve", true, VESK_ROWS(kAnimCurve)},
    {MFn::kAnimCurveTimeToAngular, MFn::kAnimCurve, "animCurveTimeToAngular", false, VESK_NO_ROWS},
    {MFn::kAnimCurveTimeToDistance, MFn::kAnimCurve, "animCurveTimeToDistance", false, VESK_NO_ROWS},
    {MFn::kAnimCurveTimeToTime, MFn::kAnimCurve, "animCurveTimeToTime", false, VESK_NO_ROWS},
    {MFn::kAnimCurveTimeToUnitless, MFn::kAnimCurve, "animCurveTimeToUnitless", false, VESK_NO_ROWS},
    {MFn::kAnimCurveUnitlessToAngular, MFn::kAnimCurve, "animCurveUnitlessToAngular", false, VESK_NO_ROWS},
    {MFn::kAnimCurveUnitlessToDistance, MFn::kAnimCurve, "animCurveUnitlessToDistance", false, VESK_NO_ROWS},
    {MFn::kAnimCurveUnitlessToTime, MFn::kAnimCurve, "animCurveUnitlessToTime", false, VESK_NO_ROWS},
    {MFn::kAnimCurveUnitlessToUnitless, MFn::kAnimCurve, "animCurveUnitlessToUnitless", false, VESK_NO_ROWS},
    {MFn::kAnimCurveUnknown, MFn::kAnimCurve, "animCurveUnknown", false, VESK_NO_ROWS},
};

Ref<Attribute> buildAttribute(const AttrRow* rows, int& i);

// The limits of a transform, four groups of six in the order of their type
// codes: per axis the minimum, then the maximum.
struct LimitGroup {
    const char* name;
    const char* shortName;
    Spec spec;
    double min;
    double max;
    const char* axes[3];
};
const LimitGroup kLimitGroups[] = {
    {"Scale", "s", kDouble, -1.0, 1.0, {"X", "Y", "Z"}},
    {"Shear", "h", kDouble, -1.0, 1.0, {"XY", "XZ", "YZ"}},
    {"Rotate", "r", kAngle, -45.0 * kDegree, 45.0 * kDegree, {"X", "Y", "Z"}},
    {"Translate", "t", kDistance, -1.0, 1.0, {"X", "Y", "Z"}},
};

std::string lower(std::string t)
{
    for (char& c : t)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return t;
}

// The value and the enable flag of each limit, as attributes of the
// transform kind.
void addLimitAttributes(Kind& transform)
{
    for (int type = 0; type < kTransformLimitCount; ++type) {
        const LimitGroup& g = kLimitGroups[type / 6];
        const bool max = type % 2 != 0;
        const std::string axis = g.axes[(type % 6) / 2];
        const std::string shortName = std::string(max ? "mx" : "mn") + g.shortName + lower(axis) + "l";
        AttrRow row = {nullptr, nullptr, g.spec, max ? g.max : g.min, 0, nullptr, 0};
        const std::string valueName = transformLimitName(type, false);
        row.longName = valueName.c_str();
        row.shortName = shortName.c_str();
        int i = 0;
        transform.addAttribute(buildAttribute(&row, i));
        const std::string enableName = transformLimitName(type, true);
        const std::string enableShort = shortName + "e";
        AttrRow flag = {enableName.c_str(), enableShort.c_str(), kBool, 0, 0, nullptr, 0};
        i = 0;
        transform.addAttribute(buildAttribute(&flag, i));
    }
}

Ref<Attribute> makeUnitCompound(const AttrRow& row, int unitType)
{
    static const char* const kAxis[3] = {"X", "Y", "Z"};
    static const char* const kAxisShort[3] = {"x", "y", "z"};
    Ref<Attribute> a(new Attribute(AttrForm::kCompound, row.longName, row.shortName));
    for (int i = 0; i < 3; ++i) {
        Ref<Attribute> c(new Attribute(AttrForm::kUnit, std::string(row.longName) + kAxis[i],
                                       std::string(row.shortName) + kAxisShort[i]));
        c->unitType = unitType;
        c->defaultValue = row.def;
        a->addChild(c);
    }
    return a;
}

void parseFields(const char* text, Attribute& a)
{
    std::string all = text ? text : "";
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(',', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string item = all.substr(start, end - start);
        const size_t eq = item.find('=');
        a.fields.emplace_back(item.substr(0, eq), static_cast<short>(std::stoi(item.substr(eq + 1))));
        start = end + 1;
    }
}

// Builds the attribute of rows[i] (and, for a compound, its children);
// i ends after the last row used.
Ref<Attribute> buildAttribute(const AttrRow* rows, int& i)
{
    const AttrRow& row = rows[i++];
    Ref<Attribute> a;
    auto plain = [&](AttrForm form) { a = Ref<Attribute>(new Attribute(form, row.longName, row.shortName)); };
    switch (row.spec) {
    case kBool:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::kBoolean, row.def);
        break;
    case kShort:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::kShort, row.def);
        break;
    case kInt:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::kLong, row.def);
        break;
    case kFloat:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::kFloat, row.def);
        break;
    case kDouble:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::kDouble, row.def);
        break;
    case kAngle:
    case kDistance:
    case kTime:
        plain(AttrForm::kUnit);
        a->unitType = row.spec == kAngle ? 1 : row.spec == kDistance ? 2 : 3;
        a->defaultValue = row.def;
        break;
    case kEnum:
        plain(AttrForm::kEnum);
        a->defaultValue = row.def;
        parseFields(row.fields, *a);
        break;
    case kString:
        plain(AttrForm::kTyped);
        a->dataType = MFnData::kString;
        break;
    case kMatrix:
        plain(AttrForm::kMatrix);
        break;
    case kMessage:
        plain(AttrForm::kMessage);
        break;
    case kMeshData:
    case kSurfaceData:
    case kGeometryData:
        plain(AttrForm::kTyped);
        a->dataType = row.spec == kMeshData      ? MFnData::kMesh
                      : row.spec == kSurfaceData ? MFnData::kNurbsSurface
                                                 : MFnData::kGeometry;
        break;
    case kDouble3:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::k3Double, row.def, false, true);
        break;
    case kColor3:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::k3Float, row.def, true, true);
        break;
    case kFloat2:
        a = makeNumericAttribute(row.longName, row.shortName, MFnNumericData::k2Float, row.def, false, true);
        break;
    case kDistance3:
        a = makeUnitCompound(row, 2);
        break;
    case kAngle3:
        a = makeUnitCompound(row, 1);
        break;
    case kCompound:
        plain(AttrForm::kCompound);
        for (int c = 0; c < row.children; ++c)
            a->addChild(buildAttribute(rows, i));
        break;
    }
    a->array = (row.flags & kArray) != 0;
    a->writable = (row.flags & kOutput) == 0;
    a->keyable = (row.flags & kKeyable) != 0;
    a->hidden = (row.flags & kHidden) != 0;
    a->connectable = (row.flags & kNoConnect) == 0;
    a->storable = (row.flags & kOutput) == 0;
    for (Attribute* c : a->children()) {
        c->writable = a->writable;
        c->keyable = a->keyable;
    }
    return a;
}

// worldMatrix[i]: the product of local matrices along instance path i.
bool worldMatrixValue(NodeStore& store, NodeId node, const PlugKey& key, Value& out)
{
    const uint32_t instance = key.idx[key.attr->ownLevel()];
    std::vector<Path> paths;
    store.allPaths(node, paths);
    if (instance >= paths.size())
        return false;
    out = Value::ofData(Ref<RefObject>(new MatrixData(store.inclusiveMatrix(paths[instance]))));
    return true;
}

void worldMatrixElements(NodeStore& store, NodeId node, const PlugKey&, std::vector<uint32_t>& out)
{
    std::vector<Path> paths;
    store.allPaths(node, paths);
    for (uint32_t i = 0; i < paths.size(); ++i)
        out.push_back(i);
}

} // namespace

std::string transformLimitName(int type, bool enable)
{
    if (type < 0 || type >= kTransformLimitCount)
        return std::string();
    const LimitGroup& g = kLimitGroups[type / 6];
    return std::string(type % 2 ? "max" : "min") + g.name + g.axes[(type % 6) / 2] + "Limit" +
           (enable ? "Enable" : "");
}

void registerCoreKinds(KindRegistry& registry)
{
    for (const KindRow& row : kKinds) {
        Kind* k = registry.add(row.type, row.parent, row.typeName);
        if (!k)
            continue;
        k->abstract = row.abstract;
        for (int i = 0; i < row.attrCount;)
            k->addAttribute(buildAttribute(row.attrs, i));
    }
    addLimitAttributes(*registry.find(MFn::kTransform));
    Attribute* world = registry.find(MFn::kDagNode)->findAttribute("worldMatrix");
    world->compute = worldMatrixValue;
    world->elements = worldMatrixElements;
}

} // namespace vesk
