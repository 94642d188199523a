// Named scene objects: kind prefixes, names and the list of user properties.
#ifndef QELSDK_SCENE_KQELOBJECT_H
#define QELSDK_SCENE_KQELOBJECT_H

#include "base/karraytemplate.h"
#include "base/kname.h"
#include "base/kstring.h"
#include "base/kstringlist.h"
#include "scene/kqelplug.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

class KProperty;
class KQelPropertyHandler;
class KQelSdkManager;

// Base of every named scene object (node, material, texture, video, pose,
// deformer, generic node, character, character pose, control-set plug). The
// name carries the kind prefix of the object's name space ("Model::Cube").
// The object lists user properties in order of addition but does not own
// them: the manager that made them destroys them. Objects are created and
// ended by their manager only, so they are not copyable (operator= copies the
// name alone).
//
// A published run (see PublishRun) stands for the first entries of the
// list: one user property bound to each of the property set's first
// properties. Their handles are made together, in the manager through its
// allocate operation, the first time one of them is handed out; counts,
// names and flags are answered without making them.
class KQelObject : public KQelPlug {
public:
    // Name spaces; each gives the kind prefix of GetDefaultNameSpacePrefix.
    enum ENameSpace : int {
        eNoNameSpace = 0,
        eModel = 1,           // "Model::", nodes
        eTexture = 2,         // "Texture::"
        eMaterial = 3,        // "Material::"
        eVideoOld = 4,        // "Video::", answered by nothing
        eVideo = 5,           // "Video::"
        eConstraint = 6,      // "Constraint::", answered by nothing
        eMarkerSet = 7,       // "MarkerSet::", answered by nothing
        eCharacter = 8,       // "Constraint::"
        eCharacterPose = 9,   // "Pose::"
        eDeformer = 10,       // no prefix: deformers and generic nodes
        ePose = 11,           // "Pose::"
        eControlSetPlug = 12  // "ControlSetPlug::"
    };

    // Initial and current name both set to pName as given (null: empty); the
    // manager's create operations prefix it beforehand.
    KQelObject(KQelSdkManager& pManager, const char* pName);
    KQelObject(const KQelObject&) = delete;

    // ---- Virtual operations, in slot order after Construct and Destruct ----

    // The object's name space.
    virtual ENameSpace GetNameSpace() const = 0;
    // The object's property set; null here.
    virtual KQelPropertyHandler* GetPropertyHandler();
    // Appends the object's properties to a KArrayTemplate<KProperty*>
    // (passed as pList); does nothing here.
    virtual void FillPropertyList(void* pList);
    // Frees the list of user properties, not the properties.
    virtual ~KQelObject();
    // Empty here.
    virtual KString GetTypeName();
    // Empty here.
    virtual KStringList GetTypeFlags();
    // Hooks called after AddProperty and RemoveProperty changed the list; they
    // do nothing here.
    virtual void PropertyAdded(KQelUserProperty* pProperty);
    virtual void PropertyRemoved(KQelUserProperty* pProperty);

    // ---- Names ----

    // The current name becomes PrefixName(GetNameSpacePrefix(), pName): any
    // prefix pName carries is replaced by the object's own. The initial name
    // stays.
    void SetName(const char* pName);
    // The current name with its prefix; valid until the name changes.
    const char* GetName() const;
    // Sets both names to pName unchanged.
    void SetInitialName(const char* pName);
    const char* GetInitialName() const;
    // The current name without the object's prefix; a name that does not
    // start with it loses what precedes its first "::" (when that is not at
    // position 0), else stays whole.
    KString GetNameWithoutNameSpacePrefix() const;
    // GetDefaultNameSpacePrefix(GetNameSpace()).
    KString GetNameSpacePrefix() const;
    // The prefix of a name space; empty for 10 and for values outside the list.
    static KString GetDefaultNameSpacePrefix(ENameSpace pNameSpace);
    // The text after the last ':' of pName; the whole text without one (null:
    // empty).
    static KString RemovePrefix(const char* pName);
    // The name pair itself, for renaming strategies. Counted as a name
    // change (GetNameChangeCount), since the caller may rename through it.
    KName& GetKName()
    {
        ++smNameChanges;
        return mName;
    }
    // Goes up whenever the name of any object may have changed (SetName,
    // SetInitialName, operator=, GetKName), so that lookups indexed by name
    // can tell when their index is stale. 0 at start-up.
    static unsigned long long GetNameChangeCount() { return smNameChanges; }

    // Copies both names when both objects answer the same name space;
    // otherwise changes nothing. Properties and manager are never copied.
    KQelObject& operator=(KQelObject& pOther);

    // The manager that made the object.
    KQelSdkManager& GetKQelSdkManager() const { return mManager; }

    // ---- User properties ----

    int GetPropertyCount() const { return PendingRunCount() + mProperties.GetCount(); }
    // Number of user properties whose GetFlag(pFlag) is true.
    int GetPropertyCount(KQelUserProperty::EFlags pFlag) const;
    // Appends a property and then calls PropertyAdded; null and a property
    // already listed are ignored.
    void AddProperty(KQelUserProperty* pProperty);
    // Removes a property (later ones move up) and then calls PropertyRemoved;
    // null and an unlisted property are ignored.
    void RemoveProperty(KQelUserProperty* pProperty);
    // Null when the index is out of range.
    KQelUserProperty* GetProperty(int pIndex) const;
    // The first user property that stands for pProperty; null for null or
    // when none does.
    KQelUserProperty* GetProperty(KProperty* pProperty) const;
    // Whether one does, answered without making published handles.
    bool HasProperty(const KProperty* pProperty) const;
    // The first user property named exactly pName; null for null or none.
    KQelUserProperty* FindPropertyByName(const char* pName) const;

protected:
    // Starts the published run over the property set's first pCount
    // properties (the list must be empty) and lists it in the manager; the
    // handles' property set is told of their default-value changes.
    void PublishRun(int pCount);
    // The published property with that name (null: none): the handle when
    // made, else a handle bound to the same property and set in pScratch
    // (valid while pScratch is), so that the object's own operations need
    // not make the run.
    KQelUserProperty* FindPublished(const char* pName, KQelUserProperty& pScratch) const;
    // Makes the run's handles when they are still pending.
    void MakeRun() const;
    // Ends the run: its made handles are destroyed, pending ones never
    // made, and the manager's list forgets it.
    void DropRun();

private:
    friend class KQelSdkManager;
    // The published run; see the class comment.
    struct PublishedRun {
        int mCount = 0;                        // entries; 0 without run
        int mLive = 0;                         // made handles not yet destroyed
        KQelUserProperty** mHandles = nullptr; // null until made; destroyed ones null
    };

    int PendingRunCount() const { return mRun.mHandles ? 0 : mRun.mCount; }
    // For the manager: the run's handles not destroyed, made or not.
    int RunLiveCount() const { return mRun.mLive; }
    // The index in the run of the first published property named pName, -1
    // when none.
    int FindInRun(const char* pName) const;
    // For the manager: the pIndex-th live handle of the run (made first);
    // null out of range.
    KQelUserProperty* RunEntry(int pIndex);
    // For the manager: the first live handle of the run named pName (the
    // run is made only when there is one); null when none.
    KQelUserProperty* FindRunEntry(const char* pName);
    // For the manager: pProperty, a made handle of this run, is being
    // destroyed; false when it is not one.
    bool ForgetRunHandle(KQelUserProperty* pProperty);
    // For the manager, which took the run out of its list: destroys the made
    // handles and forgets the run.
    void EndRun();
    // The handles' property set.
    KQelPropertyHandler* RunHandler() const;

    static unsigned long long smNameChanges;

    KName mName;
    mutable KArrayTemplate<KQelUserProperty*> mProperties;
    mutable PublishedRun mRun;
    KQelSdkManager& mManager;
};

}  // namespace qelsdk_600

#endif
