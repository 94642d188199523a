// Carries characters between an SDK scene and the host's optional character
// solver (the "DOV" commands), as host command texts. When the solver is not
// loaded nothing crosses. No state is kept between calls.
#ifndef QELVESK_PLUGIN_QELCHARACTERBRIDGE_H
#define QELVESK_PLUGIN_QELCHARACTERBRIDGE_H

namespace qelsdk_600 {

class KQelCharacter;
class KQelScene;

// Solver slots are addressed by a group number (the SDK character group
// plus 1; 0 for the "Reference" id 67) and an index within the group; the
// ids in no group (68, 69, 88, 89) have no slot.

// Do nothing; true.
bool QELCharacterPreLoad(KQelScene* pScene);
bool QELCharacterPreSave(KQelScene* pScene);
// Import: one new solver character per scene character, its slots linked
// to the host nodes of the character's links, then characterized. Scene
// character i is solver character k + i when the solver held k before.
// False when the solver cannot create characters.
bool QELCharacterPostLoad(KQelScene* pScene);
// Export: one new scene character per solver character, its links to the
// scene nodes that stand for the slots' host nodes. False without the
// solver.
bool QELCharacterPostSave(KQelScene* pScene);
// Sends the character's links to solver character pSolverIndex and
// characterizes it. A linked node is found in the host by the path it is
// bound to, else by its name; nodes found nowhere are skipped. False when
// the solver lacks a link or characterize command.
bool ExtractCharacterFromQel(KQelCharacter* pCharacter, int pSolverIndex);
// Fills the character's links from solver character pSolverIndex: the
// scene node bound to a slot's host path, else the first node of the
// scene bearing the host node's short name. False without the solver's
// link query.
bool ExtractCharacterFromVesk(int pSolverIndex, KQelScene* pScene, KQelCharacter* pCharacter);
// No solver property crosses the bridge: both do nothing.
void DOVProperty2QELParam(int pSolverIndex, KQelCharacter* pCharacter);
void QELParam2DOVProperty(KQelCharacter* pCharacter, int pSolverIndex);
// Whether the host knows a command or procedure of that name ("exists").
bool ProcedureExist(const char* pName);

}  // namespace qelsdk_600

#endif
