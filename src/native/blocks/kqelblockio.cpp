#include "native/blocks/kqelblockio.h"

#include "file/iqelobject.h"
#include "native/blocks/kqelblocks_shared.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace native_detail {

KQelNode* NodeNameIndex::Find(const char* pName) const
{
    const KString name = KQelSdkManager::PrefixName("Model::", pName ? pName : "");
    auto found = mNodes.find(std::string(name.Buffer(), static_cast<std::size_t>(name.GetLen())));
    return found == mNodes.end() ? nullptr : found->second;
}

int SelectedTakeCount(const KStreamOptionsQel& pOptions)
{
    int count = 0;
    for (int i = 0; i < pOptions.mTakeInfo.GetCount(); ++i) {
        if (pOptions.mTakeInfo[i] && pOptions.mTakeInfo[i]->mSelect)
            ++count;
    }
    return count;
}

bool CloseFieldFile(IQelObject*& pFile, bool pDiscard, KError& pError, int pNotOpenedId, int pOtherId)
{
    if (!pFile) {
        pError.SetLastErrorID(pNotOpenedId);
        return false;
    }
    const bool closed = pDiscard ? pFile->ProjectDiscard() : pFile->ProjectClose();
    if (!closed) {
        if (pFile->GetLastErrorID() == KQel::eFileNotOpened)
            pError.SetLastErrorID(pNotOpenedId);
        else
            pError.SetLastError(pOtherId, pFile->GetLastErrorString());
    }
    delete pFile;
    pFile = nullptr;
    return closed;
}

}  // namespace native_detail
}  // namespace qelsdk_600
