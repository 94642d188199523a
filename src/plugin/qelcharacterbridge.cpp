#include "plugin/qelcharacterbridge.h"

#include <cstdlib>

#include <vesk/MDagPath.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MGlobal.h>
#include <vesk/MStringArray.h>

#include "character/kqelcharacter.h"
#include "character/kqelcharacterlink.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesknodeid.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

namespace {

// Group number and index of the solver slot of a node id; false for the
// ids without a slot.
bool SolverSlot(int pId, int& pGroup, int& pIndex)
{
    if (pId == eCharacterReference) {
        pGroup = 0;
        pIndex = 0;
        return true;
    }
    ECharacterGroupId group;
    if (!KQelCharacter::GetCharacterGroupIndexByElement(static_cast<ECharacterNodeId>(pId), group, pIndex))
        return false;
    pGroup = static_cast<int>(group) + 1;
    return true;
}

// Runs a command with a result array; its status.
bool Run(const MString& pCommand, MStringArray& pResult)
{
    return static_cast<bool>(MGlobal::executeCommand(pCommand, pResult, false, false));
}

void Run(const MString& pCommand)
{
    MStringArray result;
    Run(pCommand, result);
}

// The first result of a query as an integer; false when it failed or gave
// nothing.
bool RunForInt(const MString& pCommand, int& pValue)
{
    MStringArray result;
    if (!Run(pCommand, result) || result.length() == 0)
        return false;
    pValue = std::atoi(result[0].asChar());
    return true;
}

// " -ci c -lti g -li k", the numbers as the host writes doubles.
MString SlotFlags(int pCharacter, int pGroup, int pIndex)
{
    return MString(" -ci ") + static_cast<double>(pCharacter) + " -lti " + static_cast<double>(pGroup) + " -li " +
           static_cast<double>(pIndex);
}

MString Triple(const char* pFlag, const KQelVector4& pValues, double pFactor)
{
    return MString(pFlag) + pValues[0] * pFactor + " " + pValues[1] * pFactor + " " + pValues[2] * pFactor;
}

// The host node a linked node stands for: the path it is bound to, else
// the node of its name; the text naming it for "-nn".
bool HostNodeOf(KQelNode* pNode, MString& pName)
{
    if (QelVeskNode* bound = dynamic_cast<QelVeskNode*>(pNode))
        if (MDagPath* path = bound->GetDagPath())
            if (path->isValid()) {
                pName = path->partialPathName();
                return true;
            }
    pName = pNode->GetNameWithoutNameSpacePrefix().Buffer();
    MDagPath path;
    return ExtractPath(pName, path);
}

const double kDegreesToRadians = 0.017453292519943295;

} // namespace

bool QELCharacterPreLoad(KQelScene*)
{
    return true;
}

bool QELCharacterPreSave(KQelScene*)
{
    return true;
}

bool QELCharacterPostLoad(KQelScene* pScene)
{
    if (!pScene || !ProcedureExist("DOVCreateCharacter"))
        return false;
    // New solver characters go after those the solver already holds.
    int first = 0;
    if (ProcedureExist("DOVGetCharacterCount") && !RunForInt("DOVGetCharacterCount", first))
        first = 0;
    for (int i = 0, n = pScene->GetCharacterCount(); i < n; ++i) {
        KQelCharacter* character = pScene->GetCharacter(i);
        const KString name = character->GetNameWithoutNameSpacePrefix();
        Run(MString("DOVCreateCharacter ") + QelVeskQuote(name.Buffer()).Buffer());
        ExtractCharacterFromQel(character, first + i);
    }
    return true;
}

bool ExtractCharacterFromQel(KQelCharacter* pCharacter, int pSolverIndex)
{
    if (!ProcedureExist("DOVSetCharacterNodeLink") || !ProcedureExist("DOVSetCharacterNodeLinkTRS") ||
        !ProcedureExist("DOVCharacterize"))
        return false;
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        KQelCharacterLink link;
        int group = 0, index = 0;
        if (!pCharacter->GetCharacterLink(static_cast<ECharacterNodeId>(id), &link) || !link.mNode ||
            !SolverSlot(id, group, index))
            continue;
        MString hostName;
        if (!HostNodeOf(link.mNode, hostName))
            continue;
        const MString slot = SlotFlags(pSolverIndex, group, index);
        Run(MString("DOVSetCharacterNodeLink") + slot + " -nn " + QelVeskQuote(hostName.asChar()).Buffer());
        Run(MString("DOVSetCharacterNodeLinkTRS") + slot + Triple(" -t ", link.mOffsetT, 1.0) +
            Triple(" -r ", link.mOffsetR, kDegreesToRadians) + Triple(" -s ", link.mOffsetS, 1.0));
    }
    Run(MString("DOVCharacterize ") + " -ci " + static_cast<double>(pSolverIndex) + " -keepTstance");
    QELParam2DOVProperty(pCharacter, pSolverIndex);
    return true;
}

bool QELCharacterPostSave(KQelScene* pScene)
{
    if (!pScene || !ProcedureExist("DOVGetCharacterCount"))
        return false;
    int count = 0;
    if (!RunForInt("DOVGetCharacterCount", count))
        return true;
    for (int i = 0; i < count; ++i) {
        MStringArray name;
        Run(MString("DOVGetCharacterName ") + " -ci " + static_cast<double>(i), name);
        const int index = pScene->CreateCharacter(name.length() > 0 ? name[0].asChar() : "");
        if (KQelCharacter* character = pScene->GetCharacter(index))
            ExtractCharacterFromVesk(i, pScene, character);
    }
    return true;
}

bool ExtractCharacterFromVesk(int pSolverIndex, KQelScene* pScene, KQelCharacter* pCharacter)
{
    if (!ProcedureExist("DOVGetCharacterNodeLink"))
        return false;
    KQelNode* root = pScene ? pScene->GetRootNode() : nullptr;
    for (int id = 0; id < kCharacterNodeIdCount && root && pCharacter; ++id) {
        int group = 0, index = 0;
        if (!SolverSlot(id, group, index))
            continue;
        MStringArray result;
        if (!Run(MString("DOVGetCharacterNodeLink") + SlotFlags(pSolverIndex, group, index), result) ||
            result.length() == 0)
            continue;
        MDagPath path;
        if (!ExtractPath(result[0], path))
            continue;
        KQelNode* node = nullptr;
        if (QelVeskNode* veskRoot = dynamic_cast<QelVeskNode*>(root))
            node = GetQelNodeFromDagPath(veskRoot, &path);
        if (!node)
            node = root->FindChild(MFnDependencyNode(path.node()).name().asChar(), true, false);
        if (!node)
            continue;
        KQelCharacterLink link;
        link.mNode = node;
        pCharacter->SetCharacterLink(static_cast<ECharacterNodeId>(id), link, true);
    }
    DOVProperty2QELParam(pSolverIndex, pCharacter);
    return true;
}

void DOVProperty2QELParam(int, KQelCharacter*) {}

void QELParam2DOVProperty(KQelCharacter*, int) {}

bool ProcedureExist(const char* pName)
{
    int exists = 0;
    return RunForInt(MString("exists ") + pName, exists) && exists == 1;
}

}  // namespace qelsdk_600
