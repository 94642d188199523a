#include "character/kqelcharacterlink.h"

namespace qelsdk_600 {

KQelCharacterLink& KQelCharacterLink::operator=(const KQelCharacterLink& pOther)
{
    mNode = pOther.mNode;
    mTemplateName = pOther.mTemplateName;
    mOffsetT = pOther.mOffsetT;
    mOffsetR = pOther.mOffsetR;
    mOffsetS = pOther.mOffsetS;
    return *this;
}

void KQelCharacterLink::Reset()
{
    mNode = nullptr;
    mTemplateName.Empty();
    mOffsetT.Set(0.0, 0.0, 0.0, 1.0);
    mOffsetR.Set(0.0, 0.0, 0.0, 1.0);
    mOffsetS.Set(1.0, 1.0, 1.0, 1.0);
    mLinkProperty = nullptr;
}

}  // namespace qelsdk_600
