// The take node's lookup of a shape channel, which the geometry answers.
#include "content/kqelgeometry.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

KFCurve* KQelTakeNode::GetShapeChannel(KQelGeometry* pGeometry, int pIndex)
{
    return Found(pGeometry ? pGeometry->GetShapeChannel(this, pIndex) : nullptr);
}

}  // namespace qelsdk_600
