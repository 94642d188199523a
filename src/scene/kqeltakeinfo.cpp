#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

KQelTakeInfo::KQelTakeInfo()
    : mSelect(true), mImportOffset(0), mImportOffsetType(1), mTakeThumbnail(nullptr)
{
}

KQelTakeInfo::~KQelTakeInfo() {}

}  // namespace qelsdk_600
