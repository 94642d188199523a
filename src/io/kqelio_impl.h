// Internal to the io subsystem: what the front ends and option sets do with
// scene-model objects, the take-list helpers over them, the format tables
// and the seam through which tests put a fake reader or writer behind a
// format number.
#ifndef QELSDK_IO_KQELIO_IMPL_H
#define QELSDK_IO_KQELIO_IMPL_H

#include "base/karraytemplate.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelExporter;
class KQelImporter;
class KQelNode;
class KQelReader;
class KQelScene;
class KQelSceneInfo;
class KQelSdkManager;
class KQelTakeInfo;
class KQelWriter;
class KStreamOptionsQel;

namespace io_detail {

// ---- Scene access (kqelio_sceneaccess.cpp) ----
//
// The only io code that needs the scene class itself.

// The root of the scene's node tree.
KQelNode* GetSceneRootNode(KQelScene& pScene);
// The scene's scene information (null when it has none) and its setter,
// which only stores the pointer (the scene ends it through the manager).
KQelSceneInfo* GetSceneInfoOf(KQelScene& pScene);
void SetSceneInfoOf(KQelScene& pScene, KQelSceneInfo* pSceneInfo);

// ---- Scene-model operations (kqelio_scene.cpp) ----

// A new copy of a take record (owned by the caller, freed with
// DeleteTakeInfo); null when it cannot be made.
KQelTakeInfo* CloneTakeInfo(const KQelTakeInfo& pSource);
void DeleteTakeInfo(KQelTakeInfo* pTakeInfo);
// Destroys the scene information through the manager (null: nothing) and
// clears the pointer.
void DestroySceneInfo(KQelSdkManager& pManager, KQelSceneInfo*& pSceneInfo);
// A new scene information made through the manager holding a copy of
// pSource; null when it cannot be made.
KQelSceneInfo* CloneSceneInfo(KQelSdkManager& pManager, const KQelSceneInfo& pSource);
// Copies pSource into pTarget, first making pTarget through the manager
// when it is null; false when it cannot be made.
bool CopySceneInfoInto(KQelSdkManager& pManager, KQelSceneInfo*& pTarget,
                       const KQelSceneInfo& pSource);
// Copies pSource into the scene's scene information, first giving the scene
// one made through the manager when it has none.
void CopySceneInfoToScene(KQelSdkManager& pManager, KQelScene& pScene,
                          const KQelSceneInfo& pSource);
// Makes the scene information of a scene (pScene) and of export options
// (pOptions) agree before an export with the exporter's own options: both
// present, the scene's receives a copy of the options'; only the scene's,
// the options get a new copy of it; only the options', the scene gets a new
// copy of it (then owned by the scene). Answers the object made for the
// options, which serves that one write (the caller destroys it), or null.
KQelSceneInfo* SettleSceneInfo(KQelSdkManager& pManager, KQelSceneInfo*& pScene,
                               KQelSceneInfo*& pOptions);
// SettleSceneInfo on the scene's scene information and the options'.
KQelSceneInfo* SettleExportSceneInfo(KQelSdkManager& pManager, KQelScene& pScene,
                                     KStreamOptionsQel& pOptions);
// The node's current name, kind prefix included; empty for null.
KString GetNodeName(KQelNode* pNode);
// The first selected node on the chain of only children that starts at
// pRoot's one child; null when pRoot is null or has not exactly one child,
// or when the chain ends without a selected node.
KQelNode* FindSelectedOnlyChild(KQelNode* pRoot);

// ---- Take lists (owned records) ----

// Frees every record and empties the list.
void ClearTakeList(KArrayTemplate<KQelTakeInfo*>& pList);
// Makes pTarget hold copies of pSource's records, freeing its own first;
// nothing happens when both are the same list.
void CopyTakeList(KArrayTemplate<KQelTakeInfo*>& pTarget,
                  const KArrayTemplate<KQelTakeInfo*>& pSource);

// ---- Format tables of the front ends ----

struct FormatText {
    const char* mDescription;
    const char* mExtension;
};
// Row pFormat of a table of pCount rows; null (texts: empty) outside it, so
// that no format number ever indexes past a table.
const FormatText* FindFormat(const FormatText* pTable, int pCount, int pFormat);
const char* FormatDescription(const FormatText* pTable, int pCount, int pFormat);
const char* FormatExtension(const FormatText* pTable, int pCount, int pFormat);

// ---- Test seam ----

// Consulted before the built-in readers (writers), and only for format
// numbers inside the front end's table; a null answer falls back to the
// built-in one. Null makers restore the built-in behaviour. The reader or
// writer is deleted by the front end.
typedef KQelReader* (*ReaderMaker)(KQelSdkManager& pManager, KQelImporter& pImporter,
                                   int pFormat);
typedef KQelWriter* (*WriterMaker)(KQelSdkManager& pManager, KQelExporter& pExporter,
                                   int pFormat);
void SetReaderMaker(ReaderMaker pMaker);
void SetWriterMaker(WriterMaker pMaker);

}  // namespace io_detail
}  // namespace qelsdk_600

#endif
