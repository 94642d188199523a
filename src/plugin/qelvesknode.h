// The SDK node of the host side: a scene node that can stand for a host DAG
// node, with the working data the host export and import carry on it.
#ifndef QELVESK_PLUGIN_QELVESKNODE_H
#define QELVESK_PLUGIN_QELVESKNODE_H

#include <vesk/MDagPath.h>
#include <vesk/MObject.h>
#include <vesk/MString.h>

#include "base/kcharptrset.h"
#include "base/kstring.h"
#include "math/kgevector.h"
#include "scene/kqelnode.h"

class QelVeskSdkManager;

// Made only by a QelVeskSdkManager (every node it creates is one) and ended
// only through it. The fields below the accessors are read and written
// directly by the export and the import.
//
// Other parts of the host side know some fields under other names:
// mHistoryMismatch is their mMeshMismatch, mUKnotsNonUniform and
// mVKnotsNonUniform their mNurbOpenedU and mNurbOpenedV, mNameSpace and
// mAddNameSpace their mNamespace and mAddNamespace, and mHostName "the
// cluster name".
class QelVeskNode : public qelsdk_600::KQelNode {
public:
    // The base node with the manager and name; unbound, no shape object,
    // pivot offset 0, global translation (0, 0, 0, 1), rotation 0, scaling
    // 1, shape index -1, every flag false, empty texts and map.
    QelVeskNode(QelVeskSdkManager& pManager, const char* pName);
    // Deletes every attribute-name string of mUserPropertyNames.
    ~QelVeskNode() override;

    // Binds a copy of the path; null unbinds (the old path stays stored but
    // is no longer reported).
    void SetDagPath(const MDagPath* pPath);
    // The bound path, null when unbound.
    MDagPath* GetDagPath();
    // Keeps a copy of the host shape object; null clears it.
    void SetShapeObject(const MObject* pObject);
    // The shape object, null when none is set.
    MObject* GetShapeObject();

    // Three doubles: the pivot offset.
    void SetRelativePivot(const double* pPivot);
    double* GetRelativePivot() { return mRelativePivot; }
    // Copies x, y and z; w keeps its value.
    void SetGlobalTranslation(const qelsdk_600::KgeTVector& pT);
    qelsdk_600::KgeTVector& GetGlobalTranslation() { return mGlobalTranslation; }
    // Degrees.
    void SetGlobalRotation(const qelsdk_600::KgeRVector& pR);
    qelsdk_600::KgeRVector& GetGlobalRotation() { return mGlobalRotation; }
    void SetGlobalScaling(const qelsdk_600::KgeSVector& pS);
    qelsdk_600::KgeSVector& GetGlobalScaling() { return mGlobalScaling; }
    // -1 = no geometry index given.
    void SetShapeIndex(int pIndex) { mShapeIndex = pIndex; }
    int GetShapeIndex() const { return mShapeIndex; }

    void SetPivotState(EPivotSet pSet, EPivotState pState) { KQelNode::SetPivotState(pSet, pState); }
    void GetPivotState(EPivotSet pSet, EPivotState& pState) const { KQelNode::GetPivotState(pSet, pState); }

    bool mHasDagPath;
    MDagPath mDagPath;
    bool mHasShapeObject;
    // The host camera or light shape the node stands for.
    MObject mShapeObject;
    double mRelativePivot[3];
    qelsdk_600::KgeTVector mGlobalTranslation;
    qelsdk_600::KgeRVector mGlobalRotation;
    qelsdk_600::KgeSVector mGlobalScaling;
    int mShapeIndex;
    // Name of the host object the deformer import made for the node.
    MString mHostName;
    bool mUKnotsNonUniform;
    bool mVKnotsNonUniform;
    // The merge matcher bound the node to an existing host node.
    bool mMerged;
    qelsdk_600::KString mNameSpace;
    // Import: the first node of a run in one namespace (create it when
    // missing); export: every node with a namespace.
    bool mAddNameSpace;
    // User-property label (without regard to case) to an owned KString*
    // holding the host attribute name that carries it.
    qelsdk_600::KCharPtrSet mUserPropertyNames;
    // The final mesh and the mesh it was built from differ in vertex count.
    bool mHistoryMismatch;
};

#endif
