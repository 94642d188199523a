// The bind-pose stage around the deformation pass: the nodes of the bind
// poses stand in their pose while skins and clusters are bound, then get
// their channel values back.
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <vesk/MDagPath.h>
#include <vesk/MEulerRotation.h>
#include <vesk/MFnTransform.h>
#include <vesk/MMatrix.h>
#include <vesk/MVector.h>

#include "file/qellogfile.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "math/kmfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskutility.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

bool IsBindPose(KQelPose* pPose)
{
    return pPose && pPose->GetTypeName() == "BindPose";
}

bool HoldsPivotNode(const std::string& pName)
{
    return pName.find("__Pre_") != std::string::npos || pName.find("__Post_") != std::string::npos;
}

// The text after the first "::", whole (the renaming strategy's form cuts
// it to 255 characters, which would lose long names).
std::string NoPrefix(const KString& pName)
{
    const std::string name(pName.Buffer());
    const size_t at = name.find("::");
    return at == std::string::npos ? name : name.substr(at + 2);
}

// The host channels a record puts back.
struct SavedChannels {
    MVector mTranslation;
    MEulerRotation mRotation;
    double mScale[3];
};

// A record with the channels of its node before the stage.
struct PoseRecord {
    TempPoseData* mData;
    SavedChannels mChannels;
};

// Old-version files with nulls folded into pivots: every bind-pose entry of
// a node takes the matrix of the node's "__Post_" entry when its pose has
// one; the entry goes to the end of each bind pose holding it.
void RepairOldVersionPoses(const std::vector<KQelPose*>& pPoses, KQelSdkManager& pManager)
{
    KArrayTemplate<KQelPose*> found(16);
    KArrayTemplate<int> indices(16);
    for (KQelPose* pose : pPoses) {
        struct Repair {
            KString mName;
            KQelMatrix mMatrix;
        };
        std::vector<Repair> repairs;
        for (int i = 0, n = pose->GetCount(); i < n; ++i) {
            const KString& name = pose->GetNodeName(i);
            if (HoldsPivotNode(name.Buffer()))
                continue;
            KString post(name);
            post += "__Post_";
            const int postIndex = pose->Find(post.Buffer());
            repairs.push_back({name, pose->GetMatrix(postIndex >= 0 ? postIndex : i)});
        }
        for (Repair& repair : repairs) {
            if (KQelPose::GetBindPoseContaining(pManager, repair.mName.Buffer(), found, indices)) {
                for (int k = 0; k < found.GetCount(); ++k)
                    found[k]->Remove(indices[k]);
                for (int k = 0; k < found.GetCount(); ++k)
                    found[k]->Add(repair.mName.Buffer(), repair.mMatrix, false);
            }
            found.Clear();
            indices.Clear();
        }
    }
}

// The node's parent's global matrix in the host now: the world matrix of
// its transform, the identity when it has none.
KQelMatrix HostGlobalMatrix(KQelNode* pNode)
{
    KQelMatrix matrix;
    matrix.SetIdentity();
    MDagPath* path = pNode ? Vesk(pNode)->GetDagPath() : nullptr;
    MStatus status;
    if (!path || !path->isValid(&status))
        return matrix;
    const MMatrix world = path->inclusiveMatrix(&status);
    DebugCheckStatus(status, nullptr);
    if (status)
        for (unsigned int r = 0; r < 4; ++r)
            for (unsigned int c = 0; c < 4; ++c)
                RowsOf(matrix)[r][c] = world(r, c);
    return matrix;
}

}  // namespace

void QelVeskImport::ImportBindPosesAndDeformations()
{
    std::vector<KQelPose*> poses;
    for (int i = 0, n = mScene ? mScene->GetPoseCount() : 0; i < n; ++i)
        if (IsBindPose(mScene->GetPose(i)))
            poses.push_back(mScene->GetPose(i));

    const bool nullsToPivot = Setting(QelVeskUserParams::kImportNullsToPivot);
    if (poses.empty()) {
        int links = 0;
        CountNbQelLinks(mRootNode, links);
        if (links != 0 && QelVeskUserParams::Instance()->GetImportType() != QelVeskUserParams::eExclusiveMerge) {
            static const char kFirst[] = "This .qel file does not contain a BindPose section. ";
            static const char kSecond[] = "Executing the command 'Go to Bind Pose' may not give the expected results.";
            Log(kFirst);
            Log(kSecond);
            KString message(kFirst);
            message += "\\n";
            message += kSecond;
            Warn("QEL import Warning", message);
        }
    } else if (nullsToPivot && mIsOldVersion) {
        RepairOldVersionPoses(poses, mManager);
    }

    // Nodes by initial name without kind prefix: the first in the node
    // set's order answers.
    std::unordered_map<std::string, QelVeskNode*> byName;
    for (int i = 0, n = mNodeSet.GetCount(); i < n; ++i) {
        char* key = nullptr;
        QelVeskNode* node = reinterpret_cast<QelVeskNode*>(mNodeSet.GetFromIndex(i, &key));
        if (node)
            byName.emplace(InitialName(*node), node);
    }

    std::vector<std::vector<PoseRecord>> applied(poses.size());
    for (size_t p = 0; p < poses.size(); ++p) {
        KQelPose* pose = poses[p];
        for (int i = 0, n = pose->GetCount(); i < n; ++i)
            if (NoPrefix(pose->GetNodeName(i)).find("RootNode") != std::string::npos) {
                pose->Remove(i);
                break;
            }

        KArrayTemplate<TempPoseData*> records(16);
        for (int i = 0, n = pose->GetCount(); i < n; ++i) {
            const std::string name = NoPrefix(pose->GetNodeName(i));
            if (nullsToPivot && mIsOldVersion && HoldsPivotNode(name))
                continue;
            const auto found = byName.find(name);
            if (found == byName.end() || !found->second->GetDagPath() || !found->second->GetDagPath()->isValid())
                continue;
            TempPoseData* record = new TempPoseData{found->second, KQelMatrix(), pose->GetMatrix(i)};
            MStatus status;
            MFnTransform transform(*record->mNode->GetDagPath(), &status);
            DebugCheckStatus(status, nullptr);
            QelVeskUtility::GetMFnTransformNode(transform, record->mSavedTransform);
            records.Add(record);
        }
        ReOrder(records, mRootNode);

        // Initial name to the bind matrix of the nearest earlier record.
        std::unordered_map<std::string, const KQelMatrix*> earlier;
        for (int i = 0, n = records.GetCount(); i < n; ++i) {
            TempPoseData* record = records[i];
            QelVeskNode* node = record->mNode;
            KQelNode* parent = node->GetParent();
            const std::string parentName = parent ? InitialName(*parent) : std::string();
            KQelMatrix parentMatrix;
            parentMatrix.SetIdentity();
            const auto before = earlier.find(parentName);
            if (before != earlier.end())
                parentMatrix = *before->second;
            else if (parentName.find("RootNode") == std::string::npos)
                parentMatrix = HostGlobalMatrix(parent);
            earlier[InitialName(*node)] = &record->mBindMatrix;

            MStatus status;
            MFnTransform transform(*node->GetDagPath(), &status);
            DebugCheckStatus(status, nullptr);
            PoseRecord kept{record, SavedChannels()};
            status = transform.getRotation(kept.mChannels.mRotation);
            DebugCheckStatus(status, nullptr);
            kept.mChannels.mTranslation = transform.getTranslation(MSpace::kTransform, &status);
            DebugCheckStatus(status, nullptr);
            kept.mChannels.mScale[0] = kept.mChannels.mScale[1] = kept.mChannels.mScale[2] = 1.0;
            status = transform.getScale(kept.mChannels.mScale);
            DebugCheckStatus(status, nullptr);
            applied[p].push_back(kept);
            if (node->mMerged)
                continue;
            KQelMatrix local;
            KmAi(RowsOf(parentMatrix), RowsOf(parentMatrix));
            KmAA(RowsOf(local), RowsOf(parentMatrix), RowsOf(record->mBindMatrix));
            QelVeskUtility::RemovePreAndPostFromRotation(node, local);
            QelVeskUtility::SetMFnTransformNode(transform, local);
        }
    }

    QelVeskProgressMeter::Section("Importing deformations...");
    for (int i = 0, n = mRootNode ? mRootNode->GetChildCount() : 0; i < n; ++i)
        BuildClusterInformation(Vesk(mRootNode->GetChild(i)));

    // The channels as they were, not a matrix decomposed again: that would
    // turn a mirror into a rotation and change the angles of a turn.
    for (size_t p = poses.size(); p-- > 0;) {
        for (PoseRecord& kept : applied[p]) {
            QelVeskNode* node = kept.mData->mNode;
            MDagPath* path = node->GetDagPath();
            if (!node->mMerged && path) {
                MStatus status;
                MFnTransform transform(*path, &status);
                DebugCheckStatus(status, nullptr);
                status = transform.setRotation(kept.mChannels.mRotation);
                DebugCheckStatus(status, nullptr);
                status = transform.setTranslation(kept.mChannels.mTranslation, MSpace::kTransform);
                DebugCheckStatus(status, nullptr);
                status = transform.setScale(kept.mChannels.mScale);
                DebugCheckStatus(status, nullptr);
            }
            delete kept.mData;
        }
    }
}
