#include "plugin/qelveskrenamingstrategy.h"

using namespace qelsdk_600;

QelVeskRenamingStrategy::QelVeskRenamingStrategy(EMode pMode, bool pReplaceMarkers)
    : KQelPluginRenamingStrategy(pMode, pReplaceMarkers)
{
}

void QelVeskRenamingStrategy::ReplaceNonAlphaNum(KString& pText, const char* pReplacement)
{
    const int colon = pText.Find(':');
    if (colon >= 0) {
        mNameSpace = pText.Left(static_cast<unsigned int>(colon));
        pText = pText.Mid(static_cast<unsigned int>(colon) + 1);
        KQelPluginRenamingStrategy::ReplaceNonAlphaNum(mNameSpace, pReplacement);
    } else {
        mNameSpace = "";
    }
    KQelPluginRenamingStrategy::ReplaceNonAlphaNum(pText, pReplacement);
}
