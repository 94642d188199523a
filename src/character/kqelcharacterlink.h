// The link of a character node id: the scene node that plays the role, a
// template name and offsets.
#ifndef QELSDK_CHARACTER_KQELCHARACTERLINK_H
#define QELSDK_CHARACTER_KQELCHARACTERLINK_H

#include "base/kstring.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KQelNode;
class KPropertyObjectList;

// A plain value record. Set when it has a node or a non-empty template
// name. Offsets are stored exactly as passed. Only links held inside a
// character carry a link property (the character property set's "%sLink"
// list of the id); copies never take it: the copy constructor leaves it
// null and assignment keeps the target's own.
class KQelCharacterLink {
public:
    KQelCharacterLink() { Reset(); }
    KQelCharacterLink(const KQelCharacterLink& pOther) : mLinkProperty(nullptr) { *this = pOther; }
    // Node, template name and the three offsets; the link property stays.
    KQelCharacterLink& operator=(const KQelCharacterLink& pOther);

    // No node, empty template name, translation and rotation offsets
    // (0, 0, 0, 1), scaling offset (1, 1, 1, 1), no link property.
    void Reset();

    KQelNode* mNode;                     // not owned
    KString mTemplateName;
    KQelVector4 mOffsetT;
    KQelVector4 mOffsetR;
    KQelVector4 mOffsetS;
    KPropertyObjectList* mLinkProperty;  // not owned
};

}  // namespace qelsdk_600

#endif
