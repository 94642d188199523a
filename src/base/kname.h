// Object names (initial and current) and the policies that rename them.
#ifndef QELSDK_BASE_KNAME_H
#define QELSDK_BASE_KNAME_H

#include "base/kstring.h"

#include <memory>

namespace qelsdk_600 {

// A pair of names: the one an object was given and the one it has now.
class KName {
public:
    // Both names set to the text.
    explicit KName(const char* name = "");
    KName(const KName& other);
    KName& operator=(const KName& other);
    ~KName();

    // Sets both the initial and the current name.
    void SetInitialName(const char* name);
    // Sets the current name only.
    void SetCurrentName(const char* name);
    // The initial name's characters.
    char* GetInitialName();
    const char* GetInitialName() const;
    // The current name's writable characters: changing them in place (same
    // length) changes the current name.
    char* GetCurrentName();
    const char* GetCurrentName() const;

private:
    KString mInitialName;
    KString mCurrentName;
};

// Abstract renaming policy applied to names that clash.
class KRenamingStrategy {
public:
    virtual ~KRenamingStrategy();
    // Forgets every name seen so far.
    virtual void Clear() = 0;
    // May change the name's current name; true when it did.
    virtual bool Rename(KName& name) = 0;
    // A new strategy in the same state; the caller owns (delete) it.
    virtual KRenamingStrategy* Clone() = 0;
};

// Renames repeats by counting: the first "a" is kept and recorded, the next
// ones become "a1", "a2"... Names made by counting are not recorded.
class KNumberRenamingStrategy : public KRenamingStrategy {
public:
    KNumberRenamingStrategy();
    KNumberRenamingStrategy(const KNumberRenamingStrategy& other);
    KNumberRenamingStrategy& operator=(const KNumberRenamingStrategy& other);
    ~KNumberRenamingStrategy() override;

    void Clear() override;
    // Exact, case-sensitive match on the current name: a recorded name gets
    // its counter raised and appended (true); a new one is recorded (false).
    bool Rename(KName& name) override;
    KRenamingStrategy* Clone() override;

private:
    struct Records;
    std::unique_ptr<Records> mRecords;
};

}  // namespace qelsdk_600

#endif
