// Root of the scene objects.
#ifndef QELSDK_SCENE_KQELPLUG_H
#define QELSDK_SCENE_KQELPLUG_H

namespace qelsdk_600 {

// Two hooks that every scene object answers. Destruct runs before the
// manager deletes a node, material, texture or video; the classes whose
// property set needs a notified tear-down override it. Not deletable through
// this base: scene objects end through KQelObject's virtual destructor.
class KQelPlug {
public:
    // Empty here.
    virtual void Construct() {}
    // Empty here.
    virtual void Destruct() {}

protected:
    KQelPlug() = default;
    ~KQelPlug() = default;
};

}  // namespace qelsdk_600

#endif
