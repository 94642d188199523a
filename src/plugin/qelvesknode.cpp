#include "plugin/qelvesknode.h"

#include "plugin/qelvesksdkmanager.h"

using namespace qelsdk_600;

QelVeskNode::QelVeskNode(QelVeskSdkManager& pManager, const char* pName)
    : KQelNode(pManager, pName),
      mHasDagPath(false),
      mHasShapeObject(false),
      mRelativePivot{0.0, 0.0, 0.0},
      mShapeIndex(-1),
      mUKnotsNonUniform(false),
      mVKnotsNonUniform(false),
      mMerged(false),
      mAddNameSpace(false),
      mUserPropertyNames(20),
      mHistoryMismatch(false)
{
}

QelVeskNode::~QelVeskNode()
{
    while (mUserPropertyNames.GetCount() > 0) {
        KString* value = reinterpret_cast<KString*>(mUserPropertyNames.GetFromIndex(0));
        mUserPropertyNames.RemoveFromIndex(0);
        delete value;
    }
}

void QelVeskNode::SetDagPath(const MDagPath* pPath)
{
    if (pPath)
        mDagPath = *pPath;
    mHasDagPath = pPath != nullptr;
}

MDagPath* QelVeskNode::GetDagPath()
{
    return mHasDagPath ? &mDagPath : nullptr;
}

void QelVeskNode::SetShapeObject(const MObject* pObject)
{
    if (pObject)
        mShapeObject = *pObject;
    mHasShapeObject = pObject != nullptr;
}

MObject* QelVeskNode::GetShapeObject()
{
    return mHasShapeObject ? &mShapeObject : nullptr;
}

void QelVeskNode::SetRelativePivot(const double* pPivot)
{
    for (int i = 0; i < 3; ++i)
        mRelativePivot[i] = pPivot[i];
}

void QelVeskNode::SetGlobalTranslation(const KgeTVector& pT)
{
    for (int i = 0; i < 3; ++i)
        mGlobalTranslation.mData[i] = pT.mData[i];
}

void QelVeskNode::SetGlobalRotation(const KgeRVector& pR)
{
    for (int i = 0; i < 3; ++i)
        mGlobalRotation.mData[i] = pR.mData[i];
}

void QelVeskNode::SetGlobalScaling(const KgeSVector& pS)
{
    for (int i = 0; i < 3; ++i)
        mGlobalScaling.mData[i] = pS.mData[i];
}
