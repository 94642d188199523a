#include "base/kerror.h"

namespace qelsdk_600 {

KError::KError() : mLastErrorID(-1), mErrorCount(0), mErrorTable(nullptr) {}

KError::KError(const char* const* table, int count)
    : mLastErrorID(-1), mErrorCount(table && count > 0 ? count : 0), mErrorTable(table)
{
}

KError::~KError() = default;

void KError::SetLastErrorID(int id)
{
    mLastErrorID = id;
    const char* text = (id >= 0 && id < mErrorCount) ? mErrorTable[id] : nullptr;
    mLastErrorString = text ? text : "";
}

void KError::SetLastError(int id, const char* text)
{
    mLastErrorID = id;
    mLastErrorString = text ? text : "";
}

void KError::ClearLastError()
{
    mLastErrorID = -1;
    mLastErrorString.Empty();
}

}  // namespace qelsdk_600
