// The kinds of host objects: nodes, attributes, data and components.
#ifndef VESK_MFN_H
#define VESK_MFN_H

// Every host object has one type; hasFn(t) holds for its own type and each
// ancestor. Kinds below 1000 keep fixed numbers; the others number from 1000
// up. Ancestry (child <- parent):
//   nodes: kDependencyNode <- kDagNode (106) <- kWorld, kTransform (109),
//     kShape; kTransform <- kJoint (120), kLookAt (111), kFixtureTransform
//     (275); kShape <- kLocator, kMesh (290), kSurface (289) <- kNurbsSurface
//     (288), kCamera (244), kClusterHandle (245), kLight (296) <-
//     kDirectionalLight (302), kPointLight (303), kSpotLight (304),
//     kAmbientLight (297), kAreaLight (299), kVolumeLight (859);
//     kDependencyNode <- kGeometryFilter <- kSkinClusterFilter (665),
//     kCluster (338), kJointCluster (340), kBlendShape (330), kWrapFilter
//     (714); kSet (454) <- kShadingEngine; kLambert <- kReflect <- kPhong;
//     kSurfaceShader, kFileTexture (483), kLayeredTexture (767),
//     kPlace2dTexture, kShaderList, kGroupId, kDagPose (668),
//     kPolySmoothFacet (677), kAnimCurve <- its nine kinds.
//   components: kComponent (518) <- kSingleIndexedComponent <-
//     kMeshVertComponent (537), kMeshPolygonComponent;
//     kComponent <- kDoubleIndexedComponent <- kSurfaceCVComponent (525).
//   attributes: kAttribute <- kNumericAttribute (548, also the two- and
//     three-number compounds), kUnitAttribute, kEnumAttribute,
//     kTypedAttribute, kCompoundAttribute, kMessageAttribute,
//     kMatrixAttribute.
//   data: kData <- kNumericData, kMatrixData, kStringData, kMeshData,
//     kNurbsSurfaceData.
//   kPlugin: the record of a loaded module (neither node nor data).
class MFn {
public:
    enum Type {
        kInvalid = 0,
        kDagNode = 106,
        kTransform = 109,
        kLookAt = 111,
        kJoint = 120,
        kCamera = 244,
        kClusterHandle = 245,
        kFixtureTransform = 275,
        kNurbsSurface = 288,
        kSurface = 289,
        kMesh = 290,
        kLight = 296,
        kAmbientLight = 297,
        kAreaLight = 299,
        kDirectionalLight = 302,
        kPointLight = 303,
        kSpotLight = 304,
        kBlendShape = 330,
        kCluster = 338,
        kJointCluster = 340,
        kSet = 454,
        kFileTexture = 483,
        kComponent = 518,
        kSurfaceCVComponent = 525,
        kMeshVertComponent = 537,
        kNumericAttribute = 548,
        kSkinClusterFilter = 665,
        kDagPose = 668,
        kPolySmoothFacet = 677,
        kWrapFilter = 714,
        kLayeredTexture = 767,
        kVolumeLight = 859,

        kDependencyNode = 1000,
        kWorld = 1001,
        kShape = 1002,
        kLocator = 1003,
        kGeometryFilter = 1004,
        kGroupId = 1005,
        kShadingEngine = 1006,
        kShaderList = 1007,
        kLambert = 1008,
        kReflect = 1009,
        kPhong = 1010,
        kSurfaceShader = 1011,
        kPlace2dTexture = 1012,

        kAnimCurve = 1020,
        kAnimCurveTimeToAngular = 1021,
        kAnimCurveTimeToDistance = 1022,
        kAnimCurveTimeToTime = 1023,
        kAnimCurveTimeToUnitless = 1024,
        kAnimCurveUnitlessToAngular = 1025,
        kAnimCurveUnitlessToDistance = 1026,
        kAnimCurveUnitlessToTime = 1027,
        kAnimCurveUnitlessToUnitless = 1028,
        kAnimCurveUnknown = 1029,

        kSingleIndexedComponent = 1040,
        kDoubleIndexedComponent = 1041,
        kMeshPolygonComponent = 1042,

        kAttribute = 1050,
        kUnitAttribute = 1051,
        kEnumAttribute = 1052,
        kTypedAttribute = 1053,
        kCompoundAttribute = 1054,
        kMessageAttribute = 1055,
        kMatrixAttribute = 1056,

        kData = 1060,
        kNumericData = 1061,
        kMatrixData = 1062,
        kStringData = 1063,
        kMeshData = 1064,
        kNurbsSurfaceData = 1065,

        kPlugin = 1070,

        kLast = 1100
    };
};

#endif
