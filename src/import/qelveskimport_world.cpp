// The world transform of the imported tree: master scale and up axis, the
// QEL root nodes and the "Qel_Root" node put above top-level nodes.
#include <cmath>
#include <cstring>

#include <vesk/MGlobal.h>
#include <vesk/MStringArray.h>

#include "curves/kfcurvefiltermatrixconverter.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

// Markers of the motion readers' reference nodes, tested in this order.
const char* const kAlternativeRootMarkers[] = {"BVH:reference", "HTR:reference", "ASF:reference",
                                               "AMC:reference"};

}  // namespace

bool QelVeskImport::IsAlternativeQelRootNode(KQelNode* pNode)
{
    if (!pNode)
        return false;
    KString name = ShortName(*pNode);
    for (const char* marker : kAlternativeRootMarkers) {
        if (name.Find(marker) < 0)
            continue;
        name.FindAndReplace(marker, GetRootNodeName().Buffer());
        pNode->SetInitialName(name.Buffer());
        pNode->SetName(name.Buffer());
        return true;
    }
    return false;
}

bool QelVeskImport::NeedQelRoot(KQelNode* pNode)
{
    return KQelPluginImportBase::NeedQelRoot(pNode) && !(pNode && Vesk(pNode)->mMerged);
}

void QelVeskImport::ComputeWorldTransform(KgeAMatrix& pWorld)
{
    double scale = QelVeskUserParams::Instance()->GetDoubleParam(QelVeskUserParams::kImportMasterScale);
    if (!std::isfinite(scale) || scale == 0.0) {
        Log("The import master scale is not a usable number: 1.0 is used.");
        scale = 1.0;
    }
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            pWorld.mData[row][column] = row == column ? scale : 0.0;

    MStringArray axis;
    const MStatus status = MGlobal::executeCommand("upAxis -q -axis", axis, false, false);
    if (!status || axis.length() == 0 || !(axis[0] == "z"))
        return;
    const double x = 1.5707963267948966;
    KgeAMatrix turn;
    turn.mData[1][1] = std::cos(x);
    turn.mData[1][2] = std::sin(x);
    turn.mData[2][1] = -std::sin(x);
    turn.mData[2][2] = std::cos(x);
    KmAA(pWorld, turn, pWorld);
}

void QelVeskImport::CustomApplyWorldTransform(KQelNode* pNode, KgeAMatrix& pWorld, bool pIsIdentity)
{
    KQelPluginImportBase::CustomApplyWorldTransform(pNode, pWorld, pIsIdentity);
    if (pIsIdentity)
        return;
    mWorldTransform.reset(new KQelXMatrix);
    static_cast<KgeAMatrix&>(*mWorldTransform) = pWorld;
}

void QelVeskImport::PropagateWorldTransformToChildrenOf(KQelNode* pNode)
{
    if (!mWorldTransform || !pNode)
        return;
    const KQelVector4 translation = mWorldTransform->GetT();
    const KQelVector4 rotation = mWorldTransform->GetR();
    const KQelVector4 scaling = mWorldTransform->GetS();
    QelVeskNode* root = nullptr;
    KArrayTemplate<KQelNode*> moved;
    for (int i = 0; i < pNode->GetChildCount(); ++i) {
        KQelNode* child = pNode->GetChild(i);
        if (NeedQelRoot(child)) {
            if (!root) {
                root = mManager.CreateQelVeskNode(GetRootNodeName().Buffer(), nullptr);
                if (!root)
                    return;
                root->SetDefaultT(translation);
                root->SetDefaultR(rotation);
                root->SetDefaultS(scaling);
            }
            moved.Add(child);
        } else if (IsQelRootNode(child)) {
            KQelTakeNode* take = child->GetCurrentTakeNode();
            if (!take || !take->GetKFCurveNode())
                continue;
            KFCurveFilterMatrixConverter converter;
            KTime period;
            period.SetSecondDouble(1.0 / QelVeskUserParams::Instance()->GetResamplingRate(true));
            converter.SetResamplingPeriod(period);
            converter.SetGenerateLastKeyExactlyAtEndTime(true);
            converter.SetApplyUnroll(false);
            converter.SetResampleTranslation(false);
            converter.SetApplyConstantKeyReducer(true);
            converter.SetSourceMatrix(KFCurveFilterMatrixConverter::kTrailingMatrix, *mWorldTransform);
            converter.Apply(*take->GetKFCurveNode(), true);
        }
    }
    if (!root)
        return;
    for (int i = 0, n = moved.GetCount(); i < n; ++i)
        root->AddChild(moved[i]);
    pNode->AddChild(root);
}
