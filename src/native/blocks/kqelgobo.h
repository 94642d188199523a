// A light's projected image as the "GoboManager" block stores it.
#ifndef QELSDK_NATIVE_BLOCKS_KQELGOBO_H
#define QELSDK_NATIVE_BLOCKS_KQELGOBO_H

#include "base/kstring.h"

namespace qelsdk_600 {

// One distinct gobo: lights with the same image path and the same three
// projection switches share one. Used only while the block is written or
// read.
class KQelGobo {
public:
    KQelGobo() : mGroundProjection(false), mVolumetricProjection(false), mFrontVolumetricProjection(false) {}

    KString mName;
    // The image file name.
    KString mPath;
    bool mGroundProjection;
    bool mVolumetricProjection;
    bool mFrontVolumetricProjection;
};

}  // namespace qelsdk_600

#endif
