#include "object/kprogress.h"

namespace qelsdk_600 {

KProgress* KGetGlobalProgress()
{
    static KProgress progress;
    return &progress;
}

}  // namespace qelsdk_600
