// Scene-wide camera settings: the producer cameras and the default camera.
#ifndef QELSDK_CONTENT_KQELGLOBALCAMERASETTINGS_H
#define QELSDK_CONTENT_KQELGLOBALCAMERASETTINGS_H

#include <memory>

#include "base/kerror.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelCamera;
class KQelNode;
class KQelScene;
class KQelSdkManager;

// The seven producer cameras every scene has (a perspective view and six
// orthographic views from the axis directions), each carried by an invisible
// node "Model::Producer <view>" that is not part of the scene's node tree;
// the name of the camera to look through by default; a default viewing mode.
// Owned by the scene; the producer nodes and cameras belong to the manager
// and are destroyed with these settings. A derived manager may refuse to
// make a camera or a node: the settings then do without it. Errors are
// recorded in the settings' own error record.
class KQelGlobalCameraSettings {
public:
    // Stored unchecked; only the default is named.
    enum EViewingMode : int { eStandard = 0 };
    // Error ids.
    enum EError : int { eNullParameter = 0, eUnknownCameraName = 1, eErrorCount };

    // Makes the seven cameras, then the seven nodes (each carrying its
    // camera, invisible), through pManager, then RestoreDefaultSettings.
    KQelGlobalCameraSettings(KQelSdkManager& pManager, KQelScene& pScene);
    // Destroys the producer nodes with their cameras through the manager.
    ~KQelGlobalCameraSettings();
    KQelGlobalCameraSettings(const KQelGlobalCameraSettings&) = delete;

    // Default camera "Producer Perspective", viewing mode 0, and each producer
    // camera Reset, then set to angle of view 40, its projection (perspective
    // or orthographic), near and far planes (10 and 4000; orthographic 1 and
    // 30000), position (4000 along its axis; perspective (0, 71.3, 287.5))
    // and up vector ((0, 1, 0); top and bottom (0, 0, -1)). The same objects
    // are kept.
    void RestoreDefaultSettings();

    // Stores the name of the camera to look through: a producer camera name
    // ("Producer Perspective", ...) or "Camera Switcher", exactly, or the name
    // of a node of the scene's tree (carrying a camera or not). False with
    // eNullParameter for null, eUnknownCameraName for any other name.
    bool SetDefaultCamera(const char* pName);
    // The stored name, as given.
    const char* GetDefaultCamera() const;
    void SetDefaultViewingMode(EViewingMode pMode);
    EViewingMode GetDefaultViewingMode() const;

    // The producer cameras and their nodes; null when the manager made none.
    KQelCamera* GetCameraProducerPerspective() const;
    KQelCamera* GetCameraProducerTop() const;
    KQelCamera* GetCameraProducerBottom() const;
    KQelCamera* GetCameraProducerFront() const;
    KQelCamera* GetCameraProducerBack() const;
    KQelCamera* GetCameraProducerRight() const;
    KQelCamera* GetCameraProducerLeft() const;
    KQelNode* GetCameraProducerPerspectiveNode() const;
    KQelNode* GetCameraProducerTopNode() const;
    KQelNode* GetCameraProducerBottomNode() const;
    KQelNode* GetCameraProducerFrontNode() const;
    KQelNode* GetCameraProducerBackNode() const;
    KQelNode* GetCameraProducerRightNode() const;
    KQelNode* GetCameraProducerLeftNode() const;

    // Assigns pCamera to the producer camera of that node name ("Producer
    // Top", ...; exact). Any other name, an empty name or a null camera:
    // nothing, and no error.
    void CopyProducerCamera(const KString& pName, const KQelCamera* pCamera);

    // Copies the default camera name and viewing mode, and assigns each
    // producer camera from the other's; nodes, manager, scene and error
    // record stay.
    KQelGlobalCameraSettings& operator=(const KQelGlobalCameraSettings& pOther);

    KError& GetError();
    int GetLastErrorID() const;
    const char* GetLastErrorString() const;

private:
    struct Data;
    // Puts producer camera pIndex on its node and hides the node (either may
    // be missing).
    void CarryProducerCamera(int pIndex);
    // Destroys producer node pIndex with its camera, or the camera alone when
    // it is on no node.
    void DestroyProducer(int pIndex);
    // True when the scene's node tree holds a node of that name (current
    // names, the node prefix applied).
    bool IsSceneNode(const char* pName) const;

    std::unique_ptr<Data> mData;
};

}  // namespace qelsdk_600

#endif
