// The shape behind a node being built and, for bind poses, the geometry a
// deformer reads for it; and the guard that puts back what reading a shape
// changed on the host.
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnGeometryFilter.h>
#include <vesk/MGlobal.h>
#include <vesk/MObjectArray.h>
#include <vesk/MPlug.h>

#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "export/qelveskexport_geometry_impl.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/qelveskutility.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

// The first node of that host type upstream of pStart.
bool FindUpstream(MObject& pStart, unsigned int pType, MObject& pFound)
{
    return QelVeskUtility::GetDependencyOfThisType(&pStart, pType, &pFound, MItDependencyGraph::kUpstream,
                                                   MFn::kInvalid);
}

// Deformers whose input geometry is the shape's bind state; a later kind
// found replaces an earlier one.
const unsigned int kDeformerTypes[] = {kSkinClusterHostType, kJointClusterHostType, kClusterHostType};

void WarnWrapDeformer(QelLogFile* pLog, const MObject& pShape, bool& pWrapWarned)
{
    KString text(sgWrapDeformer_A);
    text += QelVeskUtility::MakeItReadable(KString(MFnDagNode(pShape).fullPathName().asChar()));
    LogTitledLine(pLog, sgExportWarning, text.Buffer());
    LogLine(pLog, "");
    text += "\\n\\n";
    text += sgWrapDeformer_B;
    text += "\\n\\n";
    text += sgPoppedOnce_UI_NOTE;
    if (ShowUI() && !pWrapWarned) {
        pWrapWarned = true;
        ShowWarningDialog(sgExportWarning, text);
    }
}

// Warns about the smooth operator and sets its "divisions" to 0; the
// command that restores them goes to pRestoreCommand when they could be
// read.
void NeutraliseSmoothOperator(QelLogFile* pLog, const MObject& pSmooth, MStatus& pStatus,
                              MString& pRestoreCommand)
{
    WarnInThreeLines(pLog, sgPolySmoothFacet_WARNING, sgPolySmoothFacet_WARNING_1, sgPolySmoothFacet_WARNING_2);

    KString plug(MFnDependencyNode(pSmooth).name().asChar());
    plug += ".divisions";
    const KString quoted = QelVeskQuote(plug.Buffer());
    int divisions = 0;
    pStatus = MGlobal::executeCommand(MString("getAttr ") + quoted.Buffer(), divisions, false, false);
    if (!pStatus)
        return;
    pStatus = MGlobal::executeCommand(MString("setAttr ") + quoted.Buffer() + " 0", false, false);
    KString restore("setAttr ");
    restore += quoted;
    restore += divisions;
    pRestoreCommand = restore.Buffer();
}

// Sets the shape's visibility, keeping the former value in pChange.
void SetShapeVisibility(const MObject& pShape, bool pVisible, MStatus& pStatus, QelVeskVisibilityChange* pChange)
{
    MDagPath shapePath;
    MPlug plug;
    pStatus = MDagPath::getAPathTo(pShape, shapePath);
    if (pStatus)
        pStatus = QelVeskUtility::FindPlug(&shapePath, plug, "visibility");
    if (!pStatus)
        return;
    bool former = true;
    const bool known = static_cast<bool>(plug.getValue(former));
    if (former == pVisible || !plug.setValue(pVisible))
        return;
    if (pChange && known && !pChange->mChanged) {
        pChange->mPlug = plug;
        pChange->mValue = former;
        pChange->mChanged = true;
    }
}

}  // namespace

bool FindObject(QelLogFile* pLog, MDagPath& pPath, MFnDagNode&, MStatus& pStatus, int pIndex, MObject& pShape,
                MObject& pUndeformed, MObject& pInputGeometry, MString& pRestoreCommand, bool& pWrapWarned,
                QelVeskVisibilityChange* pVisibility)
{
    pStatus = MStatus::kSuccess;
    bool found = false;
    // Joints and the other kinds of transform carry shapes as transforms do.
    if (pPath.node().hasFn(MFn::kTransform) && pPath.childCount() > 0) {
        pShape = pPath.child(static_cast<unsigned int>(pIndex));
        found = true;
    } else {
        // A shape path stands for its shape only under a transform holding
        // several.
        MDagPath above(pPath);
        if (above.pop(1) && above.node().hasFn(MFn::kTransform) && above.childCount() > 1) {
            pShape = pPath.node();
            found = true;
        }
    }
    pUndeformed = pShape;
    if (!found)
        return false;
    if (!BoolSetting(KQelUserParams::kExportBindPose))
        return true;

    bool visible = false;
    MPlug visibility;
    pStatus = QelVeskUtility::FindPlug(&pPath, visibility, "visibility");
    if (pStatus)
        visibility.getValue(visible);

    MObject start = pPath.child(0);
    MObject wrap;
    if (FindUpstream(start, kWrapHostType, wrap)) {
        WarnWrapDeformer(pLog, pShape, pWrapWarned);
        return true;
    }
    MObject deformer;
    for (unsigned int type : kDeformerTypes) {
        MObject candidate;
        if (FindUpstream(start, type, candidate))
            deformer = candidate;
    }
    if (deformer.isNull())
        return true;
    MFnGeometryFilter filter(deformer, &pStatus);
    if (!pStatus)
        return true;

    MObject smooth;
    if (QelVeskUtility::GetDependencyOfThisType(&deformer, kPolySmoothHostType, &smooth,
                                                MItDependencyGraph::kDownstream, MFn::kInvalid) ||
        FindUpstream(deformer, kPolySmoothHostType, smooth))
        NeutraliseSmoothOperator(pLog, smooth, pStatus, pRestoreCommand);

    const MPlug input = filter.findPlug("input", &pStatus);
    if (!pStatus)
        return true;
    MObjectArray inputs, outputs;
    filter.getInputGeometry(inputs);
    pStatus = filter.getOutputGeometry(outputs);
    unsigned int position = 0;
    while (position < outputs.length() && !(outputs[position] == pShape))
        ++position;
    // A shape the deformer does not list keeps its own geometry.
    if (position == outputs.length())
        return true;
    if (position < inputs.length())
        pUndeformed = inputs[position];
    SetShapeVisibility(pShape, visible, pStatus, pVisibility);

    // The input element of the shape is the one of its input index, which
    // need not be its position in the lists.
    MStatus indexStatus;
    const unsigned int index = filter.indexForOutputShape(pShape, &indexStatus);
    if (!indexStatus)
        return true;
    const MPlug geometry = input.elementByLogicalIndex(index).child(filter.attribute("inputGeometry"));
    MObject value;
    if (!geometry.isNull() && geometry.getValue(value) && !value.isNull())
        pInputGeometry = value;
    return true;
}

namespace export_detail {

ShapeRead::ShapeRead(const MDagPath& pPath) : mEnvelope(0.0f), mEnvelopeChanged(false)
{
    MObject start = pPath.child(0);
    MObject blendShape;
    if (start.isNull() || !FindUpstream(start, kBlendShapeHostType, blendShape))
        return;
    MStatus status;
    MFnBlendShapeDeformer deformer(blendShape, &status);
    if (!status)
        return;
    mEnvelope = deformer.envelope(&status);
    if (status && deformer.setEnvelope(0.0f)) {
        mBlendShape = blendShape;
        mEnvelopeChanged = true;
    }
}

bool ShapeRead::Find(QelLogFile* pLog, MDagPath& pPath, MFnDagNode& pNode, bool& pWrapWarned)
{
    return FindObject(pLog, pPath, pNode, mStatus, 0, mShape, mUndeformed, mInputGeometry, mRestoreCommand,
                      pWrapWarned, &mVisibility);
}

ShapeRead::~ShapeRead()
{
    if (mRestoreCommand.length() > 0)
        MGlobal::executeCommand(mRestoreCommand, false, false);
    if (mVisibility.mChanged)
        mVisibility.mPlug.setValue(mVisibility.mValue);
    if (mEnvelopeChanged)
        MFnBlendShapeDeformer(mBlendShape).setEnvelope(mEnvelope);
}

}  // namespace export_detail
