// Shape blocks and the conversion of shape names between the layouts. They
// join this unit later; until then names stay as they are.
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

void KQelWriterQel::ConvertShapeNamesToV5Format(KQelNode&) {}

void KQelWriterQel::RevertShapeNamesToV6Format(KQelNode&) {}

}  // namespace qelsdk_600
