// Node renaming between a host and QEL files: unique names on the way out,
// the original names restored on the way back.
#ifndef QELSDK_IO_KQELPLUGINRENAMINGSTRATEGY_H
#define QELSDK_IO_KQELPLUGINRENAMINGSTRATEGY_H

#include <memory>

#include "base/kname.h"
#include "base/kstring.h"

namespace qelsdk_600 {

// Going to QEL, every name given out is recorded; a name that clashes with a
// recorded one gets a marker from which the incoming name can be restored:
// "_ncl1_" and a counter for an exact repeat (Cube, Cube_ncl1_1, ...), or
// "_ncl2_" and a case signature ("ul" then a bit set of the positions that
// are upper case in the recorded name, "lu" then those that are lower case)
// for a name that differs from a recorded one only in letter case (recorded
// Cube, incoming cube: Cube_ncl2_ul1). A generated name never clashes with a
// record: an exact repeat raises the counter until the name is free; a taken
// case signature gets "_ncl1_" and the recorded name's next counter appended
// until free; a case clash beyond position 31, which the 32-bit signature
// cannot hold, becomes the incoming name, "_ncl1_" and the recorded name's
// next counter. Coming from QEL, the markers (or a trailing number in
// parentheses) are undone and every character that is not an ASCII letter
// or digit becomes '_'. Letter tests are ASCII, whatever the locale.
// Renaming a name costs about constant time, however many names are
// recorded or share a spelling.
class KQelPluginRenamingStrategy : public KRenamingStrategy {
public:
    // 0 renames to QEL, any other value from QEL.
    enum EMode : int { eToQel = 0, eFromQel = 1 };
    // Which clashes count going to QEL.
    enum EClashType : int { eExactAndCaseClash = 0, eExactClashOnly = 1, eCaseClashOnly = 2 };

    // pReplaceParentheses: a restored "(n)" suffix has its parentheses turned
    // into '_' in the name kept as the QEL name. Clash type 0, no records.
    KQelPluginRenamingStrategy(EMode pMode, bool pReplaceParentheses);
    ~KQelPluginRenamingStrategy() override;
    KQelPluginRenamingStrategy(const KQelPluginRenamingStrategy&) = delete;
    KQelPluginRenamingStrategy& operator=(const KQelPluginRenamingStrategy&) = delete;

    // Does nothing: the records last as long as the strategy.
    void Clear() override;
    // RenameToQEL in mode 0, RenameFromQEL otherwise; true when the name
    // was changed.
    bool Rename(KName& pName) override;
    // Null: the strategy is not cloned.
    KRenamingStrategy* Clone() override;

    // Gives the current name a marker when it clashes with a recorded name,
    // then records the resulting name; true when it was changed. The initial
    // name is left alone.
    virtual bool RenameToQEL(KName& pName);
    // Restores the name that a marker or a "(n)" suffix encodes as the
    // current name, keeping the name as read as the initial name (a name
    // without marker has its initial and current names exchanged); then
    // replaces non-alphanumeric characters of the current name by '_'. True
    // when a marker or suffix was undone.
    virtual bool RenameFromQEL(KName& pName);
    // Replaces, in place, each character that is not an ASCII letter or
    // digit by the first character of pReplacement (null or empty: '_').
    virtual void ReplaceNonAlphaNum(KString& pText, const char* pReplacement);

    // A change of type forgets every record.
    void SetClashSoverType(EClashType pType);
    EClashType GetClashSoverType() const { return mClashType; }

    // The text after the first "::" (the whole text when there is none), cut
    // to 255 characters, in one static buffer that the next call overwrites.
    static char* NoPrefixName(const KString& pName);
    static char* NoPrefixName(const char* pName);

private:
    struct Records;

    EMode mMode;
    EClashType mClashType;
    std::unique_ptr<Records> mRecords;
    bool mReplaceParentheses;
};

}  // namespace qelsdk_600

#endif
