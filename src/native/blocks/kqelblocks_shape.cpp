// Shape blocks and the conversion of shape names between the layouts. They
// join this unit later; until then names stay as they are.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

void KQelWriterQel::ConvertShapeNamesToV5Format(KQelNode&) {}

void KQelWriterQel::RevertShapeNamesToV6Format(KQelNode&) {}

bool KQelReaderQel::ReadKQelShape(KQelShape&, KQelGeometry&)
{
    return true;
}

bool KQelWriterQel::WriteKQelShape(KQelShape&, KString, KQelGeometry&)
{
    return true;
}

}  // namespace qelsdk_600
