// Host skins, clusters and blend shapes for the deformer export tests,
// built through the stand-in's commands and deformer creators, and the
// exported links, poses and shapes read back.
#ifndef QEL_TESTS_EXPORT_DEFORMER_FIXTURE_H
#define QEL_TESTS_EXPORT_DEFORMER_FIXTURE_H

#include <cmath>
#include <string>
#include <vector>

#include <vesk/MFloatArray.h>
#include <vesk/MFnSkinCluster.h>
#include <vesk/MGlobal.h>
#include <vesk/MMatrix.h>

#include "content/kqelgeometry.h"
#include "content/kqellink.h"
#include "deform/deform_kinds.h"
#include "export/shape_fixture.h"
#include "scene/kqelpose.h"

// An exporter that keeps the progress texts of its binding and shape
// passes.
class RecordingExport : public QelVeskExport {
public:
    std::vector<std::string> mProgress;

protected:
    void ReportProgress(const char* pText) override { mProgress.push_back(pText); }
};

class DeformerTest : public ShapeTest {
public:
    // Runs a command text; false (and a test failure) when it fails.
    static bool Run(const std::string& pText)
    {
        const bool ran = static_cast<bool>(MGlobal::executeCommand(pText.c_str()));
        EXPECT_TRUE(ran) << pText;
        return ran;
    }
    static vesk::Path StorePath(const char* pText) { return vesk::ObjectAccess::path(path(pText)); }
    // A joint under pParent ("" = world) at the local translation given.
    static MObject Joint(const char* pName, const char* pParent, double pX = 0, double pY = 0, double pZ = 0)
    {
        MObject joint = make("joint", pName, pParent);
        MFnTransform(joint).setTranslation(MVector(pX, pY, pZ), MSpace::kTransform);
        return joint;
    }
    // A skin cluster binding pGeometry to the joints (influences 0 to n-1),
    // each point at weight 1 on its nearest joint, or at 0 on all.
    static MObject Skin(const char* pName, const std::vector<const char*>& pJoints, const char* pGeometry,
                        bool pNearest = true)
    {
        std::vector<vesk::Path> influences;
        for (const char* joint : pJoints)
            influences.push_back(StorePath(joint));
        std::string error;
        const vesk::NodeId skin = vesk::createSkinCluster(pName, influences, StorePath(pGeometry), pNearest, &error);
        EXPECT_TRUE(skin.valid()) << error;
        return vesk::ObjectAccess::fromNode(skin);
    }
    // Sets influence pInfluence's weights on the shape's vertices, others
    // untouched.
    static void SetWeights(const MObject& pSkin, const char* pShape, unsigned int pInfluence,
                           const std::vector<std::pair<int, float>>& pWeights)
    {
        MFnSingleIndexedComponent vertices;
        MObject component = vertices.create(MFn::kMeshVertComponent);
        MIntArray influences;
        MFloatArray values;
        for (const auto& weight : pWeights) {
            vertices.addElement(weight.first);
            values.append(weight.second);
        }
        influences.append(static_cast<int>(pInfluence));
        ASSERT_TRUE(MFnSkinCluster(pSkin).setWeights(path(pShape), component, influences, values, false));
    }
    static MObject Vertices(const std::vector<int>& pIndices)
    {
        MFnSingleIndexedComponent fn;
        MObject component = fn.create(MFn::kMeshVertComponent);
        for (int v : pIndices)
            fn.addElement(v);
        return component;
    }
    static vesk::SetMember Member(const char* pText, const MObject& pComponent = MObject::kNullObj)
    {
        return vesk::SetMember{vesk::NodeId(), StorePath(pText),
                               vesk::Ref<vesk::Component>(
                                   static_cast<vesk::Component*>(vesk::ObjectAccess::ref(pComponent)))};
    }
    // A cluster (or joint cluster) whose handle shape goes under pWeighted.
    static vesk::ClusterNodes Cluster(MFn::Type pKind, const char* pName, const char* pWeighted,
                                      const std::vector<vesk::SetMember>& pMembers, bool pRelative = false)
    {
        vesk::ClusterNodes nodes;
        std::string error;
        EXPECT_TRUE(vesk::createCluster(pKind, pName, StorePath(pWeighted), pMembers, pRelative, nodes, &error))
            << error;
        return nodes;
    }

    // ---- The file read back ----

    std::vector<qelsdk_600::KQelLink*> Links(const char* pNode)
    {
        std::vector<qelsdk_600::KQelLink*> links;
        qelsdk_600::KQelNode* node = Node(pNode);
        qelsdk_600::KQelGeometry* geometry = node ? node->GetGeometry() : nullptr;
        for (int i = 0; geometry && i < geometry->GetLinkCount(); ++i)
            links.push_back(geometry->GetLink(i));
        return links;
    }
    // The linked node's name without "Model::".
    static std::string LinkName(qelsdk_600::KQelLink* pLink)
    {
        return std::string(pLink->GetLinkName().Buffer()).substr(7);
    }
    static std::vector<std::pair<int, double>> Points(qelsdk_600::KQelLink* pLink)
    {
        std::vector<std::pair<int, double>> points;
        for (int i = 0; i < pLink->GetControlPointIndicesCount(); ++i)
            points.emplace_back(pLink->GetControlPointIndices()[i], pLink->GetControlPointWeights()[i]);
        return points;
    }
    // The names (without "Pose::") of the poses read back, in order.
    std::vector<std::string> PoseNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < mRead->GetPoseCount(); ++i)
            names.push_back(std::string(mRead->GetPose(i)->GetName()).substr(6));
        return names;
    }
    qelsdk_600::KQelPose* Pose(const std::string& pName)
    {
        for (int i = 0; i < mRead->GetPoseCount(); ++i)
            if (std::string(mRead->GetPose(i)->GetName()) == "Pose::" + pName)
                return mRead->GetPose(i);
        return nullptr;
    }
    // The node names (without "Model::") of a pose's entries, in order.
    static std::vector<std::string> Entries(qelsdk_600::KQelPose* pPose)
    {
        std::vector<std::string> names;
        for (int i = 0; pPose && i < pPose->GetCount(); ++i)
            names.push_back(std::string(pPose->GetNodeName(i).Buffer()).substr(7));
        return names;
    }
    // Whether two matrices agree within pTolerance, element by element.
    static bool Near(const double* pA, const double* pB, double pTolerance = 1e-9)
    {
        for (int i = 0; i < 16; ++i)
            if (!(std::fabs(pA[i] - pB[i]) <= pTolerance))
                return false;
        return true;
    }
    static const double* Values(const MMatrix& pMatrix) { return &pMatrix.matrix[0][0]; }
    // A link's transform (geometry) and transform-link (bind) matrices.
    static qelsdk_600::KQelXMatrix GeometryMatrix(qelsdk_600::KQelLink* pLink)
    {
        qelsdk_600::KQelXMatrix matrix;
        return pLink->GetTransformMatrix(matrix);
    }
    static qelsdk_600::KQelXMatrix BindMatrix(qelsdk_600::KQelLink* pLink)
    {
        qelsdk_600::KQelXMatrix matrix;
        return pLink->GetTransformLinkMatrix(matrix);
    }
    // Lines of the log that hold pText.
    static std::vector<std::string> LogLinesWith(const std::string& pText)
    {
        std::vector<std::string> lines;
        for (const std::string& line : LogLines())
            if (line.find(pText) != std::string::npos)
                lines.push_back(line);
        return lines;
    }
};

#endif
