#include "native/blocks/kqelblockio.h"

#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace native_detail {

KQelNode* NodeNameIndex::Find(const char* pName) const
{
    const KString name = KQelSdkManager::PrefixName("Model::", pName ? pName : "");
    auto found = mNodes.find(std::string(name.Buffer(), static_cast<std::size_t>(name.GetLen())));
    return found == mNodes.end() ? nullptr : found->second;
}

}  // namespace native_detail
}  // namespace qelsdk_600
