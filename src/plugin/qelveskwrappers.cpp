#include "plugin/qelveskwrappers.h"

#include <vesk/MAngle.h>
#include <vesk/MDGModifier.h>
#include <vesk/MDistance.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnEnumAttribute.h>
#include <vesk/MFnMatrixData.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnNumericData.h>
#include <vesk/MFnUnitAttribute.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDag.h>
#include <vesk/MPlugArray.h>
#include <vesk/MPxTransform.h>

namespace {

MString gRotateAxisNames[3] = {"rotateAxisX", "rotateAxisY", "rotateAxisZ"};
MString gJointOrientNames[3] = {"jointOrientX", "jointOrientY", "jointOrientZ"};

// The last component of a DAG path name ("" for "|").
const char* LastComponent(const char* pName)
{
    const char* lLast = pName;
    for (const char* p = pName; *p; ++p)
        if (*p == '|')
            lLast = p + 1;
    return lLast;
}

// The first DAG node whose full or partial path name is the name. A node's
// short name must end the sought name, so most nodes are passed over
// without building their path name.
bool SearchPath(const MString& pName, MDagPath& pPath, bool pFull)
{
    MStatus lStatus;
    MItDag lIt(MItDag::kBreadthFirst, MFn::kDagNode, &lStatus);
    if (!lStatus) {
        lStatus.perror("MItDag constructor");
        return false;
    }
    const char* lShort = LastComponent(pName.asChar());
    for (; !lIt.isDone(); lIt.next()) {
        MDagPath lPath;
        lStatus = lIt.getPath(lPath);
        if (!lStatus) {
            lStatus.perror("MItDag::getPath");
            continue;
        }
        MFnDependencyNode lNode(lPath.node());
        if (!(lNode.name() == lShort))
            continue;
        const MString lText = pFull ? lPath.fullPathName() : lPath.partialPathName();
        if (lText == pName) {
            pPath = lPath;
            return true;
        }
    }
    return false;
}

template <class Fn, class Value>
void ApplyLimits(Fn& pFn, const Value& pDefault, const Value& pMin, const Value& pMax)
{
    pFn.setDefault(pDefault);
    pFn.setMin(pMin);
    pFn.setMax(pMax);
}

MObject CreateUnitAttribute(const MString& pLong, const MString& pShort, MFnUnitAttribute::Type pType,
                            double pDefault, double pMin, double pMax)
{
    MFnUnitAttribute lFn;
    MObject lAttribute = lFn.create(pLong, pShort, pType, 0.0);
    switch (pType) {
    case MFnUnitAttribute::kAngle:
        ApplyLimits(lFn, MAngle(pDefault, MAngle::kDegrees), MAngle(pMin, MAngle::kDegrees),
                    MAngle(pMax, MAngle::kDegrees));
        break;
    case MFnUnitAttribute::kDistance:
        ApplyLimits(lFn, MDistance(pDefault, MDistance::kCentimeters), MDistance(pMin, MDistance::kCentimeters),
                    MDistance(pMax, MDistance::kCentimeters));
        break;
    default:
        // Times are held in seconds.
        ApplyLimits(lFn, pDefault, pMin, pMax);
    }
    return lAttribute;
}

void RunQuietly(const MString& pCommand)
{
    MGlobal::executeCommand(pCommand, false, false);
}

} // namespace

void DebugCheckStatus(MStatus& pStatus, const char* pMessage)
{
    if (pStatus)
        return;
    pStatus.perror(pStatus.errorString());
    if (pMessage)
        pStatus.perror(MString(pMessage) + " \n \n");
}

void DebugCheckPlug(MPlug&) {}
void DebugCheckAttribute(MObject*) {}
void DebugLog(const char*) {}

bool ExtractPath(MString pName, MDagPath& pPath)
{
    if (pName.length() > 0 && pName.asChar()[0] == '|')
        return ExtractFullPath(pName, pPath);
    return ExtractPartialPath(pName, pPath);
}

bool ExtractPartialPath(MString pName, MDagPath& pPath)
{
    return SearchPath(pName, pPath, false);
}

bool ExtractFullPath(MString pName, MDagPath& pPath)
{
    return SearchPath(pName, pPath, true);
}

void GetAttributeVector(const MFnTransform& pTransform, MString* pNames, MPoint& pPoint)
{
    pPoint = MPoint(0.0, 0.0, 0.0, 1.0);
    double* lComponents[3] = {&pPoint.x, &pPoint.y, &pPoint.z};
    for (int i = 0; i < 3; ++i) {
        MStatus lStatus;
        MPlug lPlug = pTransform.findPlug(pNames[i], &lStatus);
        if (lStatus)
            lPlug.getValue(*lComponents[i]);
    }
}

void SetAttributeVector(const MFnTransform& pTransform, MString* pNames, const MPoint& pPoint)
{
    const double lComponents[3] = {pPoint.x, pPoint.y, pPoint.z};
    for (int i = 0; i < 3; ++i) {
        MStatus lStatus;
        MPlug lPlug = pTransform.findPlug(pNames[i], &lStatus);
        if (lStatus)
            lPlug.setValue(lComponents[i]);
    }
}

void GetVeskRotateAxis(const MFnTransform& pTransform, MPoint& pPoint)
{
    GetAttributeVector(pTransform, gRotateAxisNames, pPoint);
}

void SetVeskRotateAxis(const MFnTransform& pTransform, const MPoint& pPoint)
{
    SetAttributeVector(pTransform, gRotateAxisNames, pPoint);
}

void GetVeskJointOrient(const MFnTransform& pTransform, MPoint& pPoint)
{
    GetAttributeVector(pTransform, gJointOrientNames, pPoint);
}

void SetVeskJointOrient(const MFnTransform& pTransform, const MPoint& pPoint)
{
    SetAttributeVector(pTransform, gJointOrientNames, pPoint);
}

bool IsTransformAnimated(MFnTransform& pTransform)
{
    static const char* const kChannels[9] = {"translateX", "translateY", "translateZ", "rotateX", "rotateY",
                                             "rotateZ",    "scaleX",     "scaleY",     "scaleZ"};
    for (const char* lName : kChannels) {
        MStatus lStatus;
        MPlug lPlug = pTransform.findPlug(lName, &lStatus);
        if (!lStatus)
            continue;
        MFnAnimCurve lCurve(lPlug, &lStatus);
        if (lStatus && lCurve.numKeys() != 0)
            return true;
    }
    return false;
}

bool ExtractWorldMatrix(const MFnTransform& pTransform, MMatrix& pMatrix)
{
    MStatus lStatus;
    MPlug lArray(pTransform.object(), MPxTransform::worldMatrix);
    MObject lData;
    lStatus = lArray.elementByLogicalIndex(0).getValue(lData);
    if (!lStatus) {
        lStatus.perror("ownerEmitter::getWorldPosition: get matrixObject");
        return false;
    }
    MFnMatrixData lMatrixData(lData, &lStatus);
    if (!lStatus) {
        lStatus.perror("ownerEmitter::getWorldPosition: get worldMatrixData");
        return false;
    }
    pMatrix = lMatrixData.matrix(&lStatus);
    if (!lStatus) {
        lStatus.perror("ownerEmitter::getWorldPosition: get worldMatrix");
        return false;
    }
    return true;
}

bool ConvertMatrixVeskToQEL(const MTransformationMatrix& pTransform, double (*pMatrix)[4])
{
    const MMatrix lMatrix = pTransform.asMatrix();
    for (unsigned int r = 0; r < 4; ++r)
        for (unsigned int c = 0; c < 4; ++c)
            pMatrix[r][c] = lMatrix(r, c);
    return true;
}

bool ConvertMatrixQELToVesk(double (*pMatrix)[4], MTransformationMatrix& pTransform)
{
    const MMatrix lMatrix(pMatrix);
    pTransform.reorderRotation(MTransformationMatrix::kXYZ);
    pTransform = lMatrix;
    return true;
}

MObject CreateDoubleAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax)
{
    MFnNumericAttribute lFn;
    MObject lAttribute = lFn.create(pLong, pShort, MFnNumericData::kDouble, 0.0);
    ApplyLimits(lFn, pDefault, pMin, pMax);
    return lAttribute;
}

MObject CreateDoubleVectorAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax)
{
    MFnNumericAttribute lFn;
    MObject lAttribute = lFn.create(pLong, pShort, MFnNumericData::k3Double, 0.0);
    lFn.setDefault(pDefault, pDefault, pDefault);
    lFn.setMin(pMin);
    lFn.setMax(pMax);
    return lAttribute;
}

MObject CreateDegreeAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax)
{
    return CreateUnitAttribute(pLong, pShort, MFnUnitAttribute::kAngle, pDefault, pMin, pMax);
}

MObject CreateSecondAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax)
{
    return CreateUnitAttribute(pLong, pShort, MFnUnitAttribute::kTime, pDefault, pMin, pMax);
}

MObject CreateCentimeterAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax)
{
    return CreateUnitAttribute(pLong, pShort, MFnUnitAttribute::kDistance, pDefault, pMin, pMax);
}

MObject CreateBoolAttribute(MString pLong, MString pShort, bool pDefault)
{
    MFnNumericAttribute lFn;
    MObject lAttribute = lFn.create(pLong, pShort, MFnNumericData::kBoolean, 0.0);
    lFn.setDefault(pDefault);
    return lAttribute;
}

MObject CreateEnumAttribute(MString pLong, MString pShort, const MStringArray& pFields, int pDefault)
{
    MFnEnumAttribute lFn;
    MObject lAttribute = lFn.create(pLong, pShort, static_cast<short>(pDefault));
    for (unsigned int i = 0; i < pFields.length(); ++i)
        lFn.addField(pFields[i], static_cast<short>(i));
    return lAttribute;
}

bool DisconnectAllSource(const MPlug& pPlug)
{
    MPlugArray lSources;
    MStatus lStatus;
    pPlug.connectedTo(lSources, true, false, &lStatus);
    if (!lStatus)
        return false;
    if (lSources.length() == 0)
        return true;
    MDGModifier lModifier;
    if (!lModifier.disconnect(lSources[0], pPlug))
        return false;
    return static_cast<bool>(lModifier.doIt());
}

bool DisconnectAllDestination(const MPlug& pPlug)
{
    MPlugArray lDestinations;
    MStatus lStatus;
    pPlug.connectedTo(lDestinations, false, true, &lStatus);
    if (!lStatus)
        return false;
    MDGModifier lModifier;
    for (unsigned int i = 0; i < lDestinations.length(); ++i) {
        if (!lModifier.disconnect(pPlug, lDestinations[i]))
            return false;
        if (!lModifier.doIt())
            return false;
    }
    return true;
}

bool IsIDPlugged(MPlug& pPlug, MTypeId pId, bool pAsDestination, bool pAsSource)
{
    MPlugArray lPlugs;
    MStatus lStatus;
    pPlug.connectedTo(lPlugs, pAsDestination, pAsSource, &lStatus);
    if (!lStatus)
        return false;
    for (unsigned int i = 0; i < lPlugs.length(); ++i) {
        MFnDependencyNode lNode(lPlugs[i].node());
        if (lNode.typeId() == pId)
            return true;
    }
    return false;
}

void BakeSelection(MTime pStart, MTime pStop)
{
    MString lStart, lStop;
    lStart.set(pStart.value());
    lStop.set(pStop.value());
    RunQuietly(MString("bakeResults -simulation true -t \"") + lStart + ":" + lStop + "\"\n");
}

void DeleteSelectedChannels()
{
    RunQuietly("delete -channels -unitlessAnimationCurves false -hierarchy 0 -controlPoints 0 -shape 0");
}

void SpaceRemover(const MString& pText, MString& pOut)
{
    MStringArray lPieces;
    pText.split(' ', lPieces);
    for (unsigned int i = 0; i < lPieces.length(); ++i)
        pOut += lPieces[i];
}
