// The plug-in renaming strategy with the host's namespace rule.
#ifndef QELVESK_PLUGIN_QELVESKRENAMINGSTRATEGY_H
#define QELVESK_PLUGIN_QELVESKRENAMINGSTRATEGY_H

#include "base/kstring.h"
#include "io/kqelpluginrenamingstrategy.h"

// Renames as its base does; making a name host-legal also splits off the
// host namespace (the text before the first ':'), kept in mNameSpace until
// the next name.
class QelVeskRenamingStrategy : public qelsdk_600::KQelPluginRenamingStrategy {
public:
    // mNameSpace empty.
    QelVeskRenamingStrategy(EMode pMode, bool pReplaceMarkers);

    // With a ':' at p: mNameSpace becomes the first p characters (every
    // character not a letter or digit replaced by pReplacement's first) and
    // pText what follows p; without, mNameSpace becomes "". Then every
    // character of pText not a letter or digit is replaced, a further ':'
    // included ("a:b:c" gives "b_c" in namespace "a").
    void ReplaceNonAlphaNum(qelsdk_600::KString& pText, const char* pReplacement) override;

    // The namespace split off by the latest ReplaceNonAlphaNum.
    qelsdk_600::KString mNameSpace;
};

#endif
