// The camera switcher attribute.
#ifndef QELSDK_CONTENT_KQELCAMERASWITCHER_H
#define QELSDK_CONTENT_KQELCAMERASWITCHER_H

#include <vector>

#include "base/kstring.h"
#include "base/kstringlist.h"
#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

class KFCurve;

// Attribute type 8: says which of the scene's cameras is in use, and when.
// Holds the names of the cameras it switches between; the camera in use is
// the camera index (counted from 1, neither checked nor interpreted here),
// animated by the curve "Camera Index" in every take of the carrying node.
// The default camera index is that curve's default value in the Default
// take. No property set; no operation reports an error. Made and destroyed
// only by the manager.
class KQelCameraSwitcher : public KQelNodeAttribute {
public:
    // Unbound, no names. Called by the manager.
    explicit KQelCameraSwitcher(KQelSdkManager& pManager);
    ~KQelCameraSwitcher() override;

    EAttributeType GetAttributeType() const override { return eCameraSwitcher; }
    // Finds or makes "Camera Index" with its curve below the take node's root
    // and sets the curve's default value to 1 (in every take, Default
    // included). No display colour, no Default-take link. Nothing for null.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // Deletes "Camera Index" and its curve, when present.
    void RemoveChannels(KQelTakeNode* pTakeNode) override;
    // Adds nothing.
    void FillPropertyList(void* pList) override;
    // "" (empty).
    KString GetTypeName() override;
    // An empty list.
    KStringList GetTypeFlags() override;

    // Appends a copy of the text (an empty name or one already listed
    // included); a null text adds nothing.
    void AddCameraName(const char* pName);
    int GetCameraNameCount() const;
    // Empties the list of names.
    void ClearCameraNames() { mCameraNames.clear(); }
    // The name at that position (from 0); null at or past the count. Valid
    // until the list changes.
    const char* GetCameraName(unsigned int pIndex) const;

    // The default value of the Default take's "Camera Index" curve, truncated
    // toward zero; 0 on no node or when that curve is missing.
    int GetDefaultCameraIndex() const;
    // Sets that default value (as a float); nothing on no node or when the
    // curve is missing.
    void SetDefaultCameraIndex(int pIndex);

    // Appends copies of the other's names after this switcher's own (the list
    // is not emptied first); curves are not copied. Assigning a switcher to
    // itself changes nothing.
    KQelCameraSwitcher& operator=(const KQelCameraSwitcher& pOther);

private:
    // The Default take's "Camera Index" curve, or null.
    KFCurve* DefaultIndexCurve() const;

    std::vector<KString> mCameraNames;
};

}  // namespace qelsdk_600

#endif
