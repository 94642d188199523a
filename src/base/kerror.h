// Last-error record of a class over that class's static message table.
#ifndef QELSDK_BASE_KERROR_H
#define QELSDK_BASE_KERROR_H

#include "base/kstring.h"

namespace qelsdk_600 {

// Holds the last error (id, -1 for none, and its text). The message table is
// the owner's and is neither copied nor freed; entries may be null.
class KError {
public:
    // No table: every id records an empty text.
    KError();
    // table holds count texts; a null table or a negative count means none.
    KError(const char* const* table, int count);
    ~KError();

    // Records the id with the table's text for it; an id outside the table,
    // or a null entry, records an empty text (the table is never read past).
    void SetLastErrorID(int id);
    // Records the id with a copy of the caller's text (null: empty text).
    void SetLastError(int id, const char* text);
    // Back to no error: id -1, empty text.
    void ClearLastError();

    // The last error id, -1 when none.
    int GetLastErrorID() const { return mLastErrorID; }
    // The last error text, empty when none; valid until the next change.
    const char* GetLastErrorString() const { return mLastErrorString.Buffer(); }

private:
    int mLastErrorID;
    int mErrorCount;
    KString mLastErrorString;
    const char* const* mErrorTable;
};

}  // namespace qelsdk_600

#endif
