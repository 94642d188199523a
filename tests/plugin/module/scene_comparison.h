// Compares an exported file, read back, object by object with the live
// host scene it was exported from. Every difference the export makes on
// purpose is listed in kIntended with its reason; the rule that applies it
// names it, and a comparison reports the entries it applied.
#ifndef QEL_TESTS_PLUGIN_MODULE_SCENE_COMPARISON_H
#define QEL_TESTS_PLUGIN_MODULE_SCENE_COMPARISON_H

#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <vesk/MDagPath.h>
#include <vesk/MEulerRotation.h>
#include <vesk/MFnAttribute.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnCamera.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnLambertShader.h>
#include <vesk/MFnLight.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MFnSet.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MFnSkinCluster.h>
#include <vesk/MFnTransform.h>
#include <vesk/MItDag.h>
#include <vesk/MItDependencyNodes.h>
#include <vesk/MItMeshPolygon.h>
#include <vesk/MItSelectionList.h>
#include <vesk/MPlugArray.h>
#include <vesk/MStringArray.h>
#include <vesk/MTransformationMatrix.h>

#include "content/kqelcamera.h"
#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqellight.h"
#include "content/kqellink.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelshape.h"
#include "content/kqeltexture.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

struct IntendedDifference {
    const char* mName;
    const char* mReason;
};

const IntendedDifference kIntended[] = {
    {"prefixes", "objects are named with their kind: \"Model::\", \"Material::\", \"Texture::\", \"Pose::\""},
    {"units", "angles are degrees (the host's radians), light intensity and blend weights percent"},
    {"cameras", "the host's default cameras stay behind; the writer adds its producer cameras and switcher"},
    {"targets", "the target a blend-shape weight uses goes with its node; its other in-between targets stay"},
    {"handles", "a joint whose first shape is a cluster handle is written as a null"},
    {"split", "hard edges give corners points of their own: corners are compared, not point numbers"},
    {"uv sets", "layer 0 holds the mesh's last UV set"},
    {"surface", "a surface's U and V directions are exchanged, a periodic one without its repeated CVs"},
    {"orientation", "lights and cameras are turned a quarter turn by their post-rotation"},
    {"rotations", "animated rotations are resampled at the export rate: compared at the host's keys"},
    {"field of view", "a camera's focal length is written as fields of view of its film"},
    {"roll", "a camera's roll is its look-at twist, negated"},
    {"poses", "a cluster whose node has no bind pose loses its pose when no dialog may ask"},
    {"properties", "dynamic numeric attributes become user properties, named by their short names; enums none"},
    {"textured", "a textured mesh's material is white: its texture gives the colour"},
};

class SceneComparison {
public:
    explicit SceneComparison(qelsdk_600::KQelScene& pRead) : mRead(pRead) {}

    // Every unintended difference, one line each.
    std::vector<std::string> Run()
    {
        Nodes();
        Curves();
        Meshes();
        Surfaces();
        Skins();
        Clusters();
        Shapes();
        Takes();
        return mDifferences;
    }
    const std::set<std::string>& Applied() const { return mApplied; }

private:
    using KQelNode = qelsdk_600::KQelNode;

    // ---- Reporting ----

    void Apply(const char* pIntended) { mApplied.insert(pIntended); }
    void Differ(const std::string& pWhat) { mDifferences.push_back(pWhat); }
    template <class A, class B>
    void Same(const std::string& pWhat, const A& pHost, const B& pFile)
    {
        if (!(pHost == pFile)) {
            std::ostringstream text;
            text << pWhat << ": host " << pHost << ", file " << pFile;
            Differ(text.str());
        }
    }
    void Near(const std::string& pWhat, double pHost, double pFile, double pTolerance = 1e-5)
    {
        if (!(std::fabs(pHost - pFile) <= pTolerance * std::max(1.0, std::fabs(pHost))))
            Same(pWhat, pHost, pFile);
    }
    void Near3(const std::string& pWhat, const double* pHost, const qelsdk_600::KQelVector4& pFile,
               double pTolerance = 1e-5)
    {
        for (int i = 0; i < 3; ++i)
            Near(pWhat + "[" + std::to_string(i) + "]", pHost[i], pFile[i], pTolerance);
    }
    void NearMatrix(const std::string& pWhat, const double* pHost, const double* pFile)
    {
        for (int i = 0; i < 16; ++i)
            Near(pWhat + "[" + std::to_string(i) + "]", pHost[i], pFile[i]);
    }

    // ---- The host ----

    static std::string NameOf(const MObject& pObject) { return MFnDependencyNode(pObject).name().asChar(); }
    // The transform above a shape, or the node itself.
    static MObject TransformOf(const MObject& pNode)
    {
        MFnDagNode dag(pNode);
        return pNode.hasFn(MFn::kTransform) || dag.parentCount() == 0 ? pNode : dag.parent(0);
    }
    static MObject FirstShape(const MDagPath& pPath)
    {
        MFnDagNode dag(pPath);
        for (unsigned int i = 0; i < dag.childCount(); ++i)
            if (!dag.child(i).hasFn(MFn::kTransform))
                return dag.child(i);
        return MObject::kNullObj;
    }
    static double Number(const MObject& pNode, const char* pPlug)
    {
        double value = 0.0;
        MFnDependencyNode(pNode).findPlug(pPlug).getValue(value);
        return value;
    }
    static void Matrix(const MPlug& pPlug, double* pOut)
    {
        MDoubleArray values;
        MGlobal::executeCommand(MString("getAttr \"") + pPlug.info() + "\"", values);
        for (unsigned int i = 0; i < 16; ++i)
            pOut[i] = i < values.length() ? values[i] : (i % 5 == 0 ? 1.0 : 0.0);
    }
    // The targets the export used: weight by weight, the first of each.
    std::set<std::string> UsedTargets()
    {
        std::set<std::string> used;
        for (MItDependencyNodes it(MFn::kBlendShape); !it.isDone(); it.next()) {
            MFnBlendShapeDeformer blend(it.thisNode());
            MObjectArray bases;
            MIntArray indices;
            blend.getBaseObjects(bases);
            blend.weightIndexList(indices);
            for (unsigned int b = 0; b < bases.length(); ++b)
                for (unsigned int w = 0; w < indices.length(); ++w) {
                    MObjectArray targets;
                    blend.getTargets(bases[b], indices[w], targets);
                    if (targets.length() > 0)
                        used.insert(NameOf(TransformOf(targets[0])));
                }
        }
        return used;
    }

    // ---- The file ----

    KQelNode* FileNode(const std::string& pName)
    {
        return mRead.GetRootNode()->FindChild(("Model::" + pName).c_str(), true);
    }
    static std::string Bare(const char* pName)
    {
        const std::string name(pName);
        const size_t colons = name.find("::");
        return colons == std::string::npos ? name : name.substr(colons + 2);
    }

    // ---- Nodes, transforms, pivots, limits, visibility ----

    void Nodes()
    {
        static const std::set<std::string> kDefaultCameras = {"persp", "top", "front", "side"};
        const std::set<std::string> used = UsedTargets();
        std::set<std::string> hostNames;
        Apply("prefixes");
        for (MItDag walk(MItDag::kDepthFirst, MFn::kTransform); !walk.isDone(); walk.next()) {
            MDagPath path;
            walk.getPath(path);
            const std::string name = NameOf(path.node());
            hostNames.insert(name);
            KQelNode* node = FileNode(name);
            if (kDefaultCameras.count(name) || used.count(name)) {
                Apply(used.count(name) ? "targets" : "cameras");
                if (node)
                    Differ("node " + name + " is in the file");
                continue;
            }
            if (!node) {
                Differ("node " + name + " is missing");
                continue;
            }
            const MObject parent = MFnDagNode(path).parent(0);
            Same("parent of " + name, MFnDagNode(parent).parentCount() == 0 ? std::string("") : NameOf(parent),
                 node->GetParent() && node->GetParent() != mRead.GetRootNode() ? Bare(node->GetParent()->GetName())
                                                                                : std::string(""));
            Attribute(path, *node, name);
            Transform(path, *node, name);
            Properties(path.node(), *node, name);
            Light(FirstShape(path), *node, name);
        }
        // The file's own extra nodes.
        std::vector<KQelNode*> pending{mRead.GetRootNode()};
        while (!pending.empty()) {
            KQelNode* node = pending.back();
            pending.pop_back();
            for (int i = 0; i < node->GetChildCount(false); ++i)
                pending.push_back(node->GetChild(i));
            const std::string name = Bare(node->GetName());
            if (node == mRead.GetRootNode() || hostNames.count(name))
                continue;
            if (name.rfind("Producer ", 0) == 0 || name == "Camera Switcher")
                Apply("cameras");
            else
                Differ("node " + name + " is only in the file");
        }
    }

    void Attribute(const MDagPath& pPath, KQelNode& pNode, const std::string& pName)
    {
        using qelsdk_600::KQelNodeAttribute;
        const MObject shape = FirstShape(pPath);
        KQelNodeAttribute::EAttributeType expected = KQelNodeAttribute::eNull;
        if (shape.hasFn(MFn::kMesh))
            expected = KQelNodeAttribute::eMesh;
        else if (shape.hasFn(MFn::kNurbsSurface))
            expected = KQelNodeAttribute::eNurb;
        else if (shape.hasFn(MFn::kClusterHandle))
            Apply("handles");
        else if (pPath.node().hasFn(MFn::kJoint))
            expected = KQelNodeAttribute::eSkeleton;
        else if (shape.hasFn(MFn::kCamera))
            expected = KQelNodeAttribute::eCamera;
        else if (shape.hasFn(MFn::kLight))
            expected = KQelNodeAttribute::eLight;
        KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
        Same("attribute of " + pName, int(expected), attribute ? int(attribute->GetAttributeType()) : -1);
    }

    void Transform(const MDagPath& pPath, KQelNode& pNode, const std::string& pName)
    {
        using qelsdk_600::KQelVector4;
        const KQelNode::EPivotSet set = KQelNode::eSourcePivot;
        const MFnTransform transform(pPath);
        const MVector t = transform.getTranslation(MSpace::kTransform);
        MEulerRotation r;
        transform.getRotation(r);
        double s[3];
        transform.getScale(s);
        const double translation[3] = {t.x, t.y, t.z};
        const double rotation[3] = {Degrees(r.x), Degrees(r.y), Degrees(r.z)};
        KQelVector4 value;
        Near3(pName + " translation", translation, pNode.GetDefaultT(value));
        Near3(pName + " rotation", rotation, pNode.GetDefaultR(value));
        Near3(pName + " scaling", s, pNode.GetDefaultS(value));

        static const int kOrders[] = {0, 0, 2, 4, 1, 3, 5};
        qelsdk_600::ERotationOrder order;
        pNode.GetRotationOrder(set, order);
        Same(pName + " rotation order", kOrders[transform.rotationOrder() % 7], int(order));
        const double orient[3] = {Degrees(Number(pPath.node(), "jointOrientX")),
                                  Degrees(Number(pPath.node(), "jointOrientY")),
                                  Degrees(Number(pPath.node(), "jointOrientZ"))};
        Near3(pName + " pre-rotation", orient, pNode.GetPreRotation(set));
        const MObject shape = FirstShape(pPath);
        if (shape.hasFn(MFn::kCamera) || shape.hasFn(MFn::kLight)) {
            Apply("orientation");
        } else {
            // The rotate axis is undone after the rotation.
            const MEulerRotation axis(Number(pPath.node(), "rotateAxisX"), Number(pPath.node(), "rotateAxisY"),
                                      Number(pPath.node(), "rotateAxisZ"));
            MTransformationMatrix inverse(axis.asMatrix().inverse());
            const MEulerRotation undo = inverse.eulerRotation();
            const double post[3] = {Degrees(undo.x), Degrees(undo.y), Degrees(undo.z)};
            Near3(pName + " post-rotation", post, pNode.GetPostRotation(set));
        }
        const MPoint rotatePivot = transform.rotatePivot(MSpace::kTransform);
        const MPoint scalePivot = transform.scalePivot(MSpace::kTransform);
        const double pivots[2][3] = {{rotatePivot.x, rotatePivot.y, rotatePivot.z},
                                     {scalePivot.x, scalePivot.y, scalePivot.z}};
        Near3(pName + " rotation pivot", pivots[0], pNode.GetRotationPivot(set));
        Near3(pName + " scaling pivot", pivots[1], pNode.GetScalingPivot(set));
        bool visible = true;
        transform.findPlug("visibility").getValue(visible);
        Same(pName + " visibility", visible, pNode.GetVisibility());
        Limits(transform, pNode.GetLimits(), pName);
    }

    void Limits(const MFnTransform& pTransform, const qelsdk_600::KQelNodeLimits& pLimits, const std::string& pName)
    {
        struct Kind {
            const char* mName;
            MFnTransform::LimitType mFirst;
            const qelsdk_600::KQelLimits qelsdk_600::KQelNodeLimits::*mLimits;
            bool mDegrees;
        };
        static const Kind kKinds[] = {
            {"translation", MFnTransform::kTranslateMinX, &qelsdk_600::KQelNodeLimits::mTranslationLimits, false},
            {"rotation", MFnTransform::kRotateMinX, &qelsdk_600::KQelNodeLimits::mRotationLimits, true},
            {"scaling", MFnTransform::kScaleMinX, &qelsdk_600::KQelNodeLimits::mScalingLimits, false},
        };
        for (const Kind& kind : kKinds) {
            const qelsdk_600::KQelLimits& limits = pLimits.*kind.mLimits;
            bool active[2][3];
            limits.GetLimitMinActive(active[0][0], active[0][1], active[0][2]);
            limits.GetLimitMaxActive(active[1][0], active[1][1], active[1][2]);
            for (int axis = 0; axis < 3; ++axis)
                for (int side = 0; side < 2; ++side) {
                    const auto type = static_cast<MFnTransform::LimitType>(kind.mFirst + 2 * axis + side);
                    const std::string what = pName + " " + kind.mName + " limit " + std::to_string(2 * axis + side);
                    Same(what, pTransform.isLimited(type), active[side][axis]);
                    if (!active[side][axis])
                        continue;
                    const double host = pTransform.limitValue(type);
                    const qelsdk_600::KQelVector4& file = side == 0 ? limits.GetLimitMin() : limits.GetLimitMax();
                    Near(what, kind.mDegrees ? Degrees(host) : host, file[axis]);
                }
        }
    }

    // The channels' values now, in the default take.
    void Light(const MObject& pShape, KQelNode& pNode, const std::string& pName)
    {
        using qelsdk_600::KQelTakeNode;
        if (!pShape.hasFn(MFn::kLight))
            return;
        const MFnLight light(pShape);
        const MColor colour = light.color();
        KQelTakeNode* take = pNode.GetDefaultTakeNode();
        const std::pair<KQelTakeNode::EChannel, double> values[] = {
            {KQelTakeNode::eLightIntensity, 100.0 * light.intensity()},
            {KQelTakeNode::eColorR, colour.r},
            {KQelTakeNode::eColorG, colour.g},
            {KQelTakeNode::eColorB, colour.b},
            {KQelTakeNode::eLightConeAngle,
             pShape.hasFn(MFn::kSpotLight) ? Degrees(Number(pShape, "coneAngle")) : take->GetChannel(KQelTakeNode::eLightConeAngle)->GetValue()},
        };
        Apply("units");
        for (const auto& value : values)
            Near(pName + " channel " + std::to_string(value.first), value.second, take->GetChannel(value.first)->GetValue());
    }

    // The dynamic numeric attributes of a transform as user properties.
    void Properties(const MObject& pNode, KQelNode& pFile, const std::string& pName)
    {
        using qelsdk_600::KQelUserProperty;
        const MFnDependencyNode node(pNode);
        for (unsigned int i = 0; i < node.attributeCount(); ++i) {
            const MObject attribute = node.attribute(i);
            MStatus numeric;
            const MFnNumericAttribute number(attribute, &numeric);
            if (node.attributeClass(attribute) != MFnDependencyNode::kLocalDynamicAttr || !numeric)
                continue;
            const MFnNumericData::Type type = number.unitType();
            const bool triple = type == MFnNumericData::k3Float || type == MFnNumericData::k3Double;
            if (!MFnAttribute(attribute).parent().isNull())
                continue;
            Apply("properties");
            const std::string what = pName + " property " + number.shortName().asChar();
            KQelUserProperty* property = pFile.FindPropertyByName(number.shortName().asChar());
            if (!property) {
                Differ(what + " is missing");
                continue;
            }
            const KQelUserProperty::EUserPropertyType expected =
                triple ? (number.isUsedAsColor() ? KQelUserProperty::eColor : KQelUserProperty::eVector)
                : type == MFnNumericData::kBoolean                                 ? KQelUserProperty::eBool
                : type == MFnNumericData::kFloat || type == MFnNumericData::kDouble ? KQelUserProperty::eReal
                                                                                    : KQelUserProperty::eInteger;
            Same(what + " type", int(expected), int(property->GetPropertyType()));
            const MPlug plug = node.findPlug(number.shortName());
            if (triple) {
                double host[3] = {0.0, 0.0, 0.0}, file[3];
                for (unsigned int c = 0; c < 3; ++c)
                    plug.child(c).getValue(host[c]);
                property->GetDefaultValue(file[0], file[1], file[2]);
                Near3(what + " value", host, qelsdk_600::KQelVector4(file[0], file[1], file[2], 0.0));
                continue;
            }
            double host = 0.0, file = 0.0;
            plug.getValue(host);
            property->GetDefaultValue(file);
            Near(what + " value", host, file);
            double limit = 0.0;
            if (number.hasSoftMin() && number.getSoftMin(limit))
                Near(what + " minimum", limit, property->GetMinLimit());
            if (number.hasSoftMax() && number.getSoftMax(limit))
                Near(what + " maximum", limit, property->GetMaxLimit());
        }
    }

    // ---- Animation ----

    // The channel of the file that a host curve's plug maps to, and the
    // factor of its values.
    struct Mapping {
        qelsdk_600::KFCurve* mCurve = nullptr;
        double mFactor = 1.0;
        bool mResampled = false;
        const char* mIntended = nullptr;
    };

    Mapping MapPlug(const MPlug& pPlug, const std::string& pTake)
    {
        using qelsdk_600::KQelTakeNode;
        struct Row {
            const char* mPlug;
            KQelTakeNode::EChannel mChannel;
            double mFactor;
            bool mResampled;
            const char* mIntended;
        };
        static const Row kRows[] = {
            {"translateX", KQelTakeNode::eTranslationX, 1.0, false, nullptr},
            {"translateY", KQelTakeNode::eTranslationY, 1.0, false, nullptr},
            {"translateZ", KQelTakeNode::eTranslationZ, 1.0, false, nullptr},
            {"rotateX", KQelTakeNode::eEulerRotationX, kDegrees, true, "rotations"},
            {"rotateY", KQelTakeNode::eEulerRotationY, kDegrees, true, "rotations"},
            {"rotateZ", KQelTakeNode::eEulerRotationZ, kDegrees, true, "rotations"},
            {"scaleX", KQelTakeNode::eScaleX, 1.0, false, nullptr},
            {"scaleY", KQelTakeNode::eScaleY, 1.0, false, nullptr},
            {"scaleZ", KQelTakeNode::eScaleZ, 1.0, false, nullptr},
            {"visibility", KQelTakeNode::eVisibility, 1.0, false, nullptr},
            {"intensity", KQelTakeNode::eLightIntensity, 100.0, false, "units"},
            {"colorR", KQelTakeNode::eColorR, 1.0, false, nullptr},
            {"colorG", KQelTakeNode::eColorG, 1.0, false, nullptr},
            {"colorB", KQelTakeNode::eColorB, 1.0, false, nullptr},
            {"coneAngle", KQelTakeNode::eLightConeAngle, kDegrees, false, "units"},
            {"twist", KQelTakeNode::eCameraRoll, -kDegrees, false, "roll"},
        };
        Mapping mapping;
        const MObject node = pPlug.node();
        const std::string attribute = MFnAttribute(pPlug.attribute()).name().asChar();
        if (node.hasFn(MFn::kBlendShape))
            return MapShape(pPlug, pTake);
        // A look-at group's twist animates its camera.
        const MObject transform = node.hasFn(MFn::kLookAt) ? MFnDagNode(node).child(0) : TransformOf(node);
        KQelNode* file = FileNode(NameOf(transform));
        if (!file || !file->SetCurrentTakeNode(pTake.c_str()))
            return mapping;
        KQelTakeNode* take = file->GetCurrentTakeNode();
        for (const Row& row : kRows)
            if (attribute == row.mPlug) {
                mapping = Mapping{take->GetChannel(row.mChannel), row.mFactor, row.mResampled, row.mIntended};
                return mapping;
            }
        if (attribute == "focalLength")
            return MapFocalLength(*file, take);
        Apply("properties");
        qelsdk_600::KFCurveNode* curves = take->GetKFCurveNode()->FindRecursive(
            const_cast<char*>(MFnAttribute(pPlug.attribute()).shortName().asChar()));
        mapping.mCurve = curves ? curves->FCurveGet() : nullptr;
        return mapping;
    }

    Mapping MapShape(const MPlug& pPlug, const std::string& pTake)
    {
        Mapping mapping;
        MFnBlendShapeDeformer blend(pPlug.node());
        MObjectArray bases;
        blend.getBaseObjects(bases);
        KQelNode* file = bases.length() ? FileNode(NameOf(TransformOf(bases[0]))) : nullptr;
        qelsdk_600::KQelGeometry* geometry = file ? file->GetGeometry() : nullptr;
        if (!geometry || !file->SetCurrentTakeNode(pTake.c_str()))
            return mapping;
        for (int i = 0; i < geometry->GetShapeCount(); ++i)
            if (pPlug.name() == geometry->GetShapeName(i))
                mapping.mCurve = geometry->GetShapeChannel(file->GetCurrentTakeNode(), i);
        mapping.mFactor = 100.0;
        mapping.mIntended = "units";
        return mapping;
    }

    // The field-of-view channel of the camera's aperture mode; values are
    // converted by hand (mFactor 0 marks it).
    Mapping MapFocalLength(KQelNode& pNode, qelsdk_600::KQelTakeNode* pTake)
    {
        using qelsdk_600::KQelCamera;
        using qelsdk_600::KQelTakeNode;
        Apply("field of view");
        Mapping mapping;
        KQelCamera* camera = pNode.GetCamera();
        if (!camera)
            return mapping;
        const bool horizontal = camera->GetApertureMode() != KQelCamera::eVertical;
        mFilm = 25.4 * (horizontal ? camera->GetApertureWidth() * camera->GetSqueezeRatio()
                                   : camera->GetApertureHeight());
        KQelTakeNode::EChannel channel = camera->GetApertureMode() == KQelCamera::eHorizontalAndVertical
                                             ? KQelTakeNode::eCameraFieldOfViewX
                                             : KQelTakeNode::eCameraFieldOfView;
        mapping.mCurve = pTake->GetChannel(channel);
        mapping.mFactor = 0.0;
        return mapping;
    }

    double Converted(double pValue, const Mapping& pMapping) const
    {
        return pMapping.mFactor == 0.0 ? 2.0 * std::atan(0.5 * mFilm / pValue) * kDegrees : pValue * pMapping.mFactor;
    }

    void Curves()
    {
        for (MItDependencyNodes it(MFn::kAnimCurve); !it.isDone(); it.next()) {
            MFnAnimCurve host(it.thisNode());
            MPlugArray driven;
            host.findPlug("output").connectedTo(driven, false, true);
            if (driven.length() == 0)
                continue;
            const std::string what = "curve " + std::string(driven[0].name().asChar());
            const Mapping mapping = MapPlug(driven[0], "Take 001");
            if (!mapping.mCurve) {
                Differ(what + " has no channel");
                continue;
            }
            if (mapping.mIntended)
                Apply(mapping.mIntended);
            Keys(host, *mapping.mCurve, mapping, what);
        }
    }

    void Keys(MFnAnimCurve& pHost, qelsdk_600::KFCurve& pFile, const Mapping& pMapping, const std::string& pWhat)
    {
        const unsigned int count = pHost.numKeys();
        if (!pMapping.mResampled)
            Same(pWhat + " keys", int(count), pFile.KeyGetCount());
        for (unsigned int i = 0; i < count; ++i) {
            const double seconds = pHost.time(i).as(MTime::kSeconds);
            const double expected = Converted(pHost.value(i), pMapping);
            const std::string key = pWhat + " key " + std::to_string(i);
            if (pMapping.mResampled || int(i) >= pFile.KeyGetCount()) {
                qelsdk_600::KTime time;
                time.SetSecondDouble(seconds);
                Near(key + " value", expected, pFile.Evaluate(time), 1e-4);
                continue;
            }
            const int index = static_cast<int>(i);
            Near(key + " time", seconds, pFile.KeyGetTime(index).GetSecondDouble(), 1e-9);
            Near(key + " value", expected, pFile.KeyGetValue(index), 1e-5);
            // Fixed tangents: slopes per second and, on weighted curves,
            // weights as a third of the key interval.
            const double secondsPerX = MTime(1.0, MTime::uiUnit()).as(MTime::kSeconds);
            const double valuePerY = pHost.animCurveType() == MFnAnimCurve::kAnimCurveTA ? 1.0 / kDegrees : 1.0;
            const double factor = pMapping.mFactor == 0.0 ? 1.0 : pMapping.mFactor;
            for (const bool in : {false, true}) {
                const unsigned int other = in ? i - 1 : i + 1;
                if ((in ? pHost.inTangentType(i) : pHost.outTangentType(i)) != MFnAnimCurve::kTangentFixed ||
                    other >= count)
                    continue;
                const std::string side = key + (in ? " in" : " out");
                float x = 0, y = 0;
                pHost.getTangent(i, x, y, in);
                Near(side + " slope", y * valuePerY / (x * secondsPerX) * factor,
                     in ? pFile.KeyGetLeftDerivative(index) : pFile.KeyGetRightDerivative(index), 1e-4);
                const double span = std::fabs(pHost.time(other).as(MTime::kSeconds) - seconds);
                if (pHost.isWeighted())
                    Near(side + " weight", x * secondsPerX / (3.0 * span),
                         in ? pFile.KeyGetLeftTangeantWeight(index) : pFile.KeyGetRightTangeantWeight(index), 1e-4);
            }
        }
    }

    // ---- Meshes: corner by corner ----

    void Meshes()
    {
        for (MItDag walk(MItDag::kDepthFirst, MFn::kMesh); !walk.isDone(); walk.next()) {
            MDagPath path;
            walk.getPath(path);
            MFnMesh host(path);
            if (host.isIntermediateObject())
                continue;
            const std::string name = NameOf(TransformOf(path.node()));
            KQelNode* node = FileNode(name);
            qelsdk_600::KQelMesh* mesh = node ? node->GetMesh() : nullptr;
            if (!mesh)
                continue;
            Apply("split");
            Mesh(host, path, *mesh, name);
            Material(path, *mesh, name);
        }
    }

    void Mesh(MFnMesh& pHost, const MDagPath& pPath, qelsdk_600::KQelMesh& pMesh, const std::string& pName)
    {
        Same(pName + " polygons", pHost.numPolygons(), pMesh.GetPolygonCount());
        qelsdk_600::KQelLayer* layer = pMesh.GetLayer(0);
        MFloatVectorArray normals;
        pHost.getNormals(normals);
        MColorArray colours;
        pHost.getFaceVertexColors(colours);
        MStringArray sets;
        pHost.getUVSetNames(sets);
        Apply("uv sets");
        const MString lastSet = sets[sets.length() - 1];
        MFloatArray us, vs;
        pHost.getUVs(us, vs, &lastSet);
        const qelsdk_600::KQelVector4* points = pMesh.GetControlPoints();
        int corner = 0;
        for (MItMeshPolygon polygon(pPath); !polygon.isDone(); polygon.next()) {
            const int p = static_cast<int>(polygon.index());
            for (unsigned int v = 0; v < polygon.polygonVertexCount(); ++v, ++corner) {
                const std::string what = pName + " corner " + std::to_string(corner);
                const int point = pMesh.GetPolygonVertex(p, static_cast<int>(v));
                const MPoint position = polygon.point(static_cast<int>(v));
                const double xyz[3] = {position.x, position.y, position.z};
                Near3(what + " point", xyz, points[point]);
                const MFloatVector n = normals[static_cast<unsigned int>(polygon.normalIndex(static_cast<int>(v)))];
                const double normal[3] = {n.x, n.y, n.z};
                Near3(what + " normal", normal, ElementValue(layer->GetNormals(), point, corner));
                int uv = -1;
                if (pHost.getPolygonUVid(p, static_cast<int>(v), uv, &lastSet) && layer->GetUVs()) {
                    const double expected[3] = {us[uv], vs[uv], 0.0};
                    const qelsdk_600::KQelVector2 file = ElementValue(layer->GetUVs(), point, corner);
                    Near3(what + " uv", expected, qelsdk_600::KQelVector4(file[0], file[1], 0.0, 0.0));
                }
                if (colours.length() > 0 && layer->GetVertexColors()) {
                    const MColor c = colours[static_cast<unsigned int>(corner)];
                    const qelsdk_600::KQelColor file = ElementValue(layer->GetVertexColors(), point, corner);
                    const double rgba[4] = {c.r, c.g, c.b, c.a};
                    Near3(what + " colour", rgba, qelsdk_600::KQelVector4(file.mRed, file.mGreen, file.mBlue, 0.0));
                    Near(what + " alpha", c.a < 0 ? 0.0 : rgba[3], file.mAlpha);
                }
            }
        }
    }

    // The value of an element for a corner, by its mapping and reference.
    template <class T>
    static T ElementValue(qelsdk_600::KQelLayerElementTemplate<T>* pElement, int pPoint, int pCorner)
    {
        using qelsdk_600::KQelLayerElement;
        if (!pElement)
            return T();
        int index = pElement->GetMappingMode() == KQelLayerElement::eByControlPoint ? pPoint : pCorner;
        if (pElement->GetReferenceMode() != KQelLayerElement::eDirect)
            index = index < pElement->GetIndexArray().GetCount() ? pElement->GetIndexArray()[index] : -1;
        return index >= 0 && index < pElement->GetDirectArray().GetCount() ? pElement->GetDirectArray()[index] : T();
    }

    void Material(const MDagPath& pPath, qelsdk_600::KQelMesh& pMesh, const std::string& pName)
    {
        MObjectArray groups;
        MIntArray faces;
        MFnMesh(pPath).getConnectedShaders(0, groups, faces);
        qelsdk_600::KQelLayer* layer = pMesh.GetLayer(0);
        if (groups.length() == 0 || !layer || !layer->GetMaterials()) {
            Same(pName + " materials", int(groups.length()), 0);
            return;
        }
        MPlugArray shaders;
        MFnDependencyNode(groups[0]).findPlug("surfaceShader").connectedTo(shaders, true, false);
        const MFnLambertShader shader(shaders[0].node());
        qelsdk_600::KQelMaterial* material = layer->GetMaterials()->GetDirectArray()[0];
        Same(pName + " material", "Material::" + NameOf(shader.object()), std::string(material->GetName()));
        MPlugArray textures;
        shader.findPlug("color").connectedTo(textures, true, false);
        const MColor colour = textures.length() ? MColor(1.0f, 1.0f, 1.0f) : shader.color();
        if (textures.length())
            Apply("textured");
        const double diffuse[3] = {colour.r, colour.g, colour.b};
        const qelsdk_600::KQelColor file = material->GetDiffuse();
        Near3(pName + " diffuse", diffuse, qelsdk_600::KQelVector4(file.mRed, file.mGreen, file.mBlue, 0.0));
        qelsdk_600::KQelLayerElementTexture* element = layer->GetTextures();
        Same(pName + " textures", int(textures.length()), element ? element->GetDirectArray().GetCount() : 0);
        if (textures.length() == 0 || !element || element->GetDirectArray().GetCount() == 0)
            return;
        const MFnDependencyNode host(textures[0].node());
        qelsdk_600::KQelTexture* texture = element->GetDirectArray()[0];
        Same(pName + " texture", "Texture::" + NameOf(host.object()), std::string(texture->GetName()));
        MString fileName;
        host.findPlug("fileTextureName").getValue(fileName);
        const std::string written = texture->GetFileName();
        Same(pName + " texture file", std::string(fileName.asChar()),
             written.substr(written.size() >= fileName.length() ? written.size() - fileName.length() : 0));
        MPlugArray placements;
        host.findPlug("uvCoord").connectedTo(placements, true, false);
        const MObject placement = placements.length() ? placements[0].node() : MObject::kNullObj;
        if (placement.isNull())
            return;
        Near(pName + " texture scale u", Number(placement, "repeatU"), texture->GetScaleU());
        Near(pName + " texture scale v", Number(placement, "repeatV"), texture->GetScaleV());
        Near(pName + " texture offset u", Number(placement, "offsetU"), texture->GetTranslationU());
        Near(pName + " texture offset v", Number(placement, "offsetV"), texture->GetTranslationV());
        Near(pName + " texture rotation", Degrees(Number(placement, "rotateUV")), texture->GetRotationW());
    }

    // ---- Surfaces ----

    void Surfaces()
    {
        for (MItDag walk(MItDag::kDepthFirst, MFn::kNurbsSurface); !walk.isDone(); walk.next()) {
            MDagPath path;
            walk.getPath(path);
            MFnNurbsSurface host(path);
            const std::string name = NameOf(TransformOf(path.node()));
            KQelNode* node = FileNode(name);
            qelsdk_600::KQelNurb* surface = node ? node->GetNurb() : nullptr;
            if (!surface) {
                Differ(name + " has no surface");
                continue;
            }
            Apply("surface");
            const int periodicU = host.formInU() == MFnNurbsSurface::kPeriodic ? host.degreeU() : 0;
            const int periodicV = host.formInV() == MFnNurbsSurface::kPeriodic ? host.degreeV() : 0;
            Same(name + " U count", int(host.numCVsInV()) - periodicV, surface->GetUCount());
            Same(name + " V count", int(host.numCVsInU()) - periodicU, surface->GetVCount());
            Same(name + " U order", host.degreeV() + 1, int(surface->GetUOrder()));
            Same(name + " V order", host.degreeU() + 1, int(surface->GetVOrder()));
            for (int u = 0; u < surface->GetVCount(); ++u)
                for (int v = 0; v < surface->GetUCount(); ++v) {
                    MPoint cv;
                    host.getCV(static_cast<unsigned int>(u), static_cast<unsigned int>(v), cv);
                    const double xyzw[3] = {cv.x, cv.y, cv.z};
                    const qelsdk_600::KQelVector4 file = surface->GetControlPoints()[v + u * surface->GetUCount()];
                    const std::string what = name + " cv " + std::to_string(u) + " " + std::to_string(v);
                    Near3(what, xyzw, file);
                    Near(what + " w", cv.w, file[3]);
                }
        }
    }

    // ---- Skins, clusters and poses ----

    qelsdk_600::KQelLink* FindLink(qelsdk_600::KQelGeometry& pGeometry, const std::string& pNode,
                                   const std::string& pHint, int pSkip = 0)
    {
        for (int i = 0; i < pGeometry.GetLinkCount(); ++i) {
            qelsdk_600::KQelLink* link = pGeometry.GetLink(i);
            if (Bare(link->GetLinkName().Buffer()) == pNode &&
                std::string(link->GetUserData("Vesk_ClusterHint").Buffer()) == pHint && pSkip-- == 0)
                return link;
        }
        return nullptr;
    }

    void LinkMatrices(qelsdk_600::KQelLink& pLink, const double* pGeometry, const double* pBind,
                      const std::string& pWhat)
    {
        qelsdk_600::KQelXMatrix matrix;
        NearMatrix(pWhat + " geometry matrix", pGeometry, pLink.GetTransformMatrix(matrix));
        NearMatrix(pWhat + " bind matrix", pBind, pLink.GetTransformLinkMatrix(matrix));
    }

    void PoseEntry(const std::string& pPose, const std::string& pNode, const double* pMatrix)
    {
        for (int i = 0; i < mRead.GetPoseCount(); ++i) {
            qelsdk_600::KQelPose* pose = mRead.GetPose(i);
            if (Bare(pose->GetName()) != pPose)
                continue;
            const int entry = pose->Find(("Model::" + pNode).c_str());
            if (entry < 0)
                Differ("pose " + pPose + " lacks " + pNode);
            else
                NearMatrix("pose " + pPose + " " + pNode, pMatrix, pose->GetMatrix(entry));
            return;
        }
        Differ("pose " + pPose + " is missing");
    }

    void Skins()
    {
        for (MItDependencyNodes it(MFn::kSkinClusterFilter); !it.isDone(); it.next()) {
            MFnSkinCluster skin(it.thisNode());
            const std::string skinName = NameOf(skin.object());
            double geometryMatrix[16];
            Matrix(skin.findPlug("geomMatrix"), geometryMatrix);
            MObjectArray outputs;
            skin.getOutputGeometry(outputs);
            MDagPathArray influences;
            skin.influenceObjects(influences);
            for (unsigned int k = 0; k < outputs.length(); ++k) {
                MDagPath shape;
                MDagPath::getAPathTo(outputs[k], shape);
                const std::string name = NameOf(TransformOf(outputs[k]));
                KQelNode* node = FileNode(name);
                qelsdk_600::KQelGeometry* geometry = node ? node->GetGeometry() : nullptr;
                if (!geometry) {
                    Differ(name + " has no geometry");
                    continue;
                }
                PoseEntry(skinName, name, geometryMatrix);
                MFnSingleIndexedComponent all;
                MObject component = all.create(MFn::kMeshVertComponent);
                all.setCompleteData(MFnMesh(shape).numVertices());
                for (unsigned int i = 0; i < influences.length(); ++i) {
                    const std::string influence = NameOf(influences[i].node());
                    const std::string what = name + " link " + influence;
                    qelsdk_600::KQelLink* link = FindLink(*geometry, influence, "");
                    if (!link) {
                        Differ(what + " is missing");
                        continue;
                    }
                    MFloatArray weights;
                    skin.getWeights(shape, component, i, weights);
                    std::vector<std::pair<int, double>> expected, file;
                    for (unsigned int j = 0; j < weights.length(); ++j)
                        if (double(weights[j]) > 0.001)
                            expected.emplace_back(int(j), double(weights[j]));
                    PointsOf(*link, *node, file);
                    Same(what + " weights", Text(expected), Text(file));
                    double bind[16];
                    Matrix(MFnDependencyNode(influences[i].node()).findPlug("bindPose"), bind);
                    LinkMatrices(*link, geometryMatrix, bind, what);
                    PoseEntry(skinName, influence, bind);
                }
            }
        }
    }

    // The link's points by the host's numbering: a split point counts as
    // the point it was split from (same position, first of its kind).
    void PointsOf(qelsdk_600::KQelLink& pLink, KQelNode& pNode, std::vector<std::pair<int, double>>& pOut)
    {
        qelsdk_600::KQelMesh* mesh = pNode.GetMesh();
        std::map<std::vector<double>, int> first;
        for (int i = 0; mesh && i < mesh->GetControlPointsCount(); ++i) {
            const qelsdk_600::KQelVector4& p = mesh->GetControlPoints()[i];
            first.emplace(std::vector<double>{p[0], p[1], p[2]}, i);
        }
        std::map<int, double> points;
        for (int i = 0; i < pLink.GetControlPointIndicesCount(); ++i) {
            int index = pLink.GetControlPointIndices()[i];
            if (mesh) {
                const qelsdk_600::KQelVector4& p = mesh->GetControlPoints()[index];
                index = first[std::vector<double>{p[0], p[1], p[2]}];
            }
            points[index] = pLink.GetControlPointWeights()[i];
        }
        pOut.assign(points.begin(), points.end());
    }
    static std::string Text(const std::vector<std::pair<int, double>>& pPoints)
    {
        std::ostringstream text;
        for (const auto& point : pPoints)
            text << point.first << ":" << static_cast<float>(point.second) << " ";
        return text.str();
    }

    void Clusters()
    {
        std::map<std::string, int> seen;
        for (MFn::Type kind : {MFn::kJointCluster, MFn::kCluster})
            for (MItDependencyNodes it(kind); !it.isDone(); it.next()) {
                MFnDependencyNode cluster(it.thisNode());
                MPlugArray handles, sets;
                cluster.findPlug("clusterXforms").connectedTo(handles, true, false);
                cluster.findPlug("message").connectedTo(sets, false, true);
                if (handles.length() == 0 || sets.length() == 0)
                    continue;
                MDagPath owner;
                MDagPath::getAPathTo(TransformOf(handles[0].node()), owner);
                const std::string ownerName = NameOf(owner.node());
                bool relative = false;
                cluster.findPlug("relative").getValue(relative);
                const std::string hint = kind == MFn::kJointCluster ? "RigidBind"
                                                                     : relative ? "WeightedRelativeCluster" : "WeightedCluster";
                MFnDagNode ownerNode(owner);
                const bool associate = MFnDagNode(ownerNode.parent(0)).parentCount() > 0;
                MSelectionList members;
                MFnSet(sets[0].node()).getMembers(members, true);
                for (MItSelectionList item(members, MFn::kComponent); !item.isDone(); item.next()) {
                    MDagPath shape;
                    MObject component;
                    item.getDagPath(shape, component);
                    const std::string name = NameOf(TransformOf(shape.node()));
                    KQelNode* node = FileNode(name);
                    qelsdk_600::KQelGeometry* geometry = node ? node->GetGeometry() : nullptr;
                    const std::string what = name + " link " + ownerName + " " + hint;
                    qelsdk_600::KQelLink* link =
                        geometry ? FindLink(*geometry, ownerName, hint, seen[name + ownerName + hint]++) : nullptr;
                    if (!link) {
                        Differ(what + " is missing");
                        continue;
                    }
                    MFnSingleIndexedComponent vertices(component);
                    MIntArray indices;
                    vertices.getElements(indices);
                    std::vector<std::pair<int, double>> expected, file;
                    const unsigned int input = MFnGeometryFilter(it.thisNode()).indexForOutputShape(shape.node());
                    MPlug weights = cluster.findPlug("weightList").elementByLogicalIndex(input).child(0);
                    for (unsigned int j = 0; j < indices.length(); ++j) {
                        double weight = 1.0;
                        weights.elementByLogicalIndex(static_cast<unsigned int>(indices[j])).getValue(weight);
                        expected.emplace_back(indices[j], weight);
                    }
                    PointsOf(*link, *node, file);
                    Same(what + " weights", Text(expected), Text(file));
                    double geometryMatrix[16], bind[16];
                    Matrix(cluster.findPlug("geomMatrix").elementByLogicalIndex(input), geometryMatrix);
                    Matrix(MFnDependencyNode(owner.node()).findPlug("bindPose"), bind);
                    if (owner.node().hasFn(MFn::kJoint)) {
                        LinkMatrices(*link, geometryMatrix, bind, what);
                        PoseEntry(ownerName, name, geometryMatrix);
                        PoseEntry(ownerName, ownerName, bind);
                    } else {
                        Apply("poses");
                    }
                    const std::string parent = associate ? NameOf(ownerNode.parent(0)) : "";
                    Same(what + " associate model", parent, Bare(link->GetAssociateModelName().Buffer()));
                    const bool compensated = associate && !relative;
                    Same(what + " compensation", compensated,
                         FindLink(*geometry, parent, "CompensationCluster", seen[name + parent]++) != nullptr);
                }
            }
    }

    // ---- Blend shapes ----

    void Shapes()
    {
        for (MItDependencyNodes it(MFn::kBlendShape); !it.isDone(); it.next()) {
            MFnBlendShapeDeformer blend(it.thisNode());
            MObjectArray bases;
            MIntArray indices;
            blend.getBaseObjects(bases);
            blend.weightIndexList(indices);
            const std::string name = NameOf(TransformOf(bases[0]));
            KQelNode* node = FileNode(name);
            qelsdk_600::KQelGeometry* geometry = node ? node->GetGeometry() : nullptr;
            if (!geometry) {
                Differ(name + " has no geometry");
                continue;
            }
            Same(name + " shapes", int(indices.length()), geometry->GetShapeCount());
            for (unsigned int w = 0; w < indices.length() && int(w) < geometry->GetShapeCount(); ++w) {
                const MPlug weight = blend.findPlug("weight").elementByLogicalIndex(unsigned(indices[w]));
                const std::string what = name + " shape " + weight.name().asChar();
                Same(what + " name", std::string(weight.name().asChar()), std::string(geometry->GetShapeName(int(w))));
                MObjectArray targets;
                blend.getTargets(bases[0], indices[w], targets);
                MPointArray points;
                MFnMesh(targets[0]).getPoints(points);
                qelsdk_600::KQelShape* shape = geometry->GetShape(int(w));
                for (unsigned int i = 0; i < points.length(); ++i) {
                    const double xyz[3] = {points[i].x, points[i].y, points[i].z};
                    Near3(what + " point " + std::to_string(i), xyz, shape->GetControlPoints()[i]);
                }
                double value = 0.0;
                weight.getValue(value);
                Near(what + " weight", 100.0 * value, geometry->GetShapeChannel(node->GetDefaultTakeNode(), int(w))->GetValue());
            }
        }
    }

    // ---- Takes ----

    void Takes()
    {
        qelsdk_600::KQelTakeInfo* info = mRead.GetTakeInfo("Take 001");
        if (!info) {
            Differ("Take 001 is missing");
            return;
        }
        const double start = MAnimControl::minTime().as(MTime::kSeconds);
        const double stop = MAnimControl::maxTime().as(MTime::kSeconds);
        Near("local start", start, info->mLocalTimeSpan.GetStart().GetSecondDouble(), 1e-9);
        Near("local stop", stop, info->mLocalTimeSpan.GetStop().GetSecondDouble(), 1e-9);
        Near("reference start", start, info->mReferenceTimeSpan.GetStart().GetSecondDouble(), 1e-9);
        Near("reference stop", stop, info->mReferenceTimeSpan.GetStop().GetSecondDouble(), 1e-9);
    }

    static double Degrees(double pRadians) { return pRadians * kDegrees; }
    static constexpr double kDegrees = 57.29577951308232;

    qelsdk_600::KQelScene& mRead;
    std::vector<std::string> mDifferences;
    std::set<std::string> mApplied;
    double mFilm = 0.0;
};

#endif
