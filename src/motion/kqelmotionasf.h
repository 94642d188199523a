// The ASF skeleton and AMC motion files: the skeleton model and its
// conversion to and from scene nodes, the two file classes, their readers
// and their writers.
#ifndef QELSDK_MOTION_KQELMOTIONASF_H
#define QELSDK_MOTION_KQELMOTIONASF_H

#include <string>
#include <unordered_map>
#include <vector>

#include "base/karraytemplate.h"
#include "base/ktextfile.h"
#include "math/kgematrix.h"
#include "math/kqelvector.h"
#include "motion/kqelmotionutil.h"
#include "object/kobject.h"

namespace qelsdk_600 {

class KFCurve;
class KFCurveNode;
class KQelNode;
class KQelScene;
class KQelSdkManager;
class KStreamOptionsMotion;

// One bone of an ASF skeleton. Its vector runs from its own joint to its
// children's; its axis matrix is its coordinate system. A bone owns its
// children and the curves it has not handed to a scene node. Every walk
// below is iterative, so no depth of skeleton can exhaust the call stack.
class KQelAsfNode {
public:
    enum { kNameSize = 256, kMaxDofs = 6 };
    // Degree-of-freedom codes, in the file's keyword order.
    enum EDof : int { eTx = 0, eTy, eTz, eRz, eRy, eRx };

    KQelAsfNode();
    // Deletes the children (and theirs) and the curves still owned.
    ~KQelAsfNode();
    KQelAsfNode(const KQelAsfNode&) = delete;
    KQelAsfNode& operator=(const KQelAsfNode&) = delete;

    // The first bone of that name depth first, this bone first; null when
    // none.
    KQelAsfNode* Find(const char* pName);
    // Appends pChild (which this bone then owns) and makes this its parent.
    void AddChild(KQelAsfNode* pChild);
    // Takes pChild out of the children without deleting it.
    void RemoveChild(KQelAsfNode* pChild);

    // The rest translation and rotation of this bone's subtree: each bone's
    // vector (direction x length), its parent's vector and axis matrices,
    // and its node's local place and turn (Euler XYZ, degrees).
    void SetupPosition();
    // Three new translation curves for each bone with a translation degree of
    // freedom, three rotation curves for each with a rotation one (curves
    // owned before are destroyed first).
    void CreateDataFromDOF();
    // Key batches of the subtree's curves begin and end; at the end curves
    // of one key or none are destroyed, the others filtered.
    void StartSamplingData();
    void StopSamplingData();
    // One AMC sample of this bone at pTime: pValues in degree-of-freedom
    // order, translations times pLengthScale, angles times pAngleFactor (to
    // degrees); keys appended as the bone's node sees them. False, nothing
    // appended, when a value does not fit a key or memory runs out.
    bool AddSampleFromDOF(const double* pValues, KTime pTime, double pLengthScale, double pAngleFactor);
    // Makes the take pTakeName current on pNode with the rest translation
    // and rotation as its values (and pNode's defaults), and hands pNode the
    // curves this bone owns.
    bool SetKFCurvePointers(KQelNode* pNode, const char* pTakeName);
    // Keeps pNode's "T", "R" and "S" curve nodes of its current take (the
    // default take when it has no other).
    void GetKFCurvePointers(KQelNode* pNode);
    // A new limb node per bone of the subtree with the take pTakeName
    // (limits when pLimits, but not for the ASF root), a "<name>_End" node
    // under each leaf bone of some length; the top node, attached to
    // nothing.
    KQelNode* ASFToQEL(KQelSdkManager& pManager, const char* pTakeName, bool pLimits);
    // Hands the subtree's curves to the limb nodes of the same names below
    // pParentNode, level by level; a bone without its node gets a new node
    // tree (ASFToQEL) there.
    void MergeASFToQEL(KQelSdkManager& pManager, KQelNode* pParentNode, const char* pTakeName, bool pLimits);
    // Locks the translation of a bone without translation degree of freedom
    // and limits the rotation of one with fewer than three to its degrees of
    // freedom.
    void SetLimits(KQelNode* pNode);
    // Removes the subtree's bones without degrees of freedom; their children
    // take their places and keep their rest places in space.
    void RemoveDummy();
    // Removes the subtree's childless bones of length 0 whose scene "T" and
    // "R" curve nodes have no keys.
    void RemoveEndSite();

    char mName[kNameSize];
    int mDofCount;
    int mDofs[kMaxDofs];
    int mRotationOrder;               // Euler order of the axis angles (KANRotationOrder)
    double mAxis[3];                  // axis angles, degrees
    KQelVector4 mPosition;            // root: its position; others: the bone vector
    KQelVector4 mDirection;           // unit bone direction
    double mLength;                   // scene units
    KQelAsfNode* mParent;
    KArrayTemplate<KQelAsfNode*> mChildren;
    KgeRMatrix mAxisMatrix;
    KgeRMatrix mInverseAxisMatrix;
    KgeRMatrix mParentAxisMatrix;
    KgeRMatrix mParentInverseAxisMatrix;
    KQelVector4 mParentBoneVector;
    KQelVector4 mRestTranslation;
    double mRestRotation[3];
    KFCurveNode* mSceneCurveNodes[3];  // "T", "R", "S" (not owned)
    KFCurve* mTranslationCurves[3];    // owned until handed to a node
    KFCurve* mRotationCurves[3];

private:
    bool HasTranslation() const;
    bool HasRotation() const;
    // This bone and every descendant, parents first.
    std::vector<KQelAsfNode*> Subtree();
    // Rebuilds each child list of the subtree, children's first: pSort(bone,
    // child, kept) appends to kept what stays in child's place.
    template <class Sort>
    void SortChildren(Sort pSort);
    void DestroyCurves();
};

// The Euler order of a bone's rotations from its degree-of-freedom list.
int EulerOrderFromOrderBuf(const int* pDofs, int pCount);
// Rows: the unit vectors of the order's first and second axes, then their
// cross product.
void EulerOrderCorrectionMatrix(KgeRMatrix& pMatrix, int pOrder);
// Angles indexed by the order's axes (as KmRtoVord gives them) rearranged
// as X, Y, Z; other orders leave them.
void OrderVector(double* pVector, int pOrder);

// An ASF skeleton: its name, units and root bone (owned). It travels from
// an ASF import or export to the following AMC one inside the options.
class KQelAsfScene : public KObject {
public:
    enum { kNameSize = 64 };

    static int ClassId;
    static KClassDefinition ClassDefinition;

    KQelAsfScene();
    // Deletes the root with every bone and curve.
    ~KQelAsfScene() override;
    KClassDefinition* GetClassDefinition() const override;
    const char* GetName() const { return mName; }

    KQelNode* ASFToQEL(KQelSdkManager& pManager, const char* pTakeName, bool pLimits);
    // The root's node found below pParentNode takes the skeleton (through
    // its parent); without it a new node tree is added under pParentNode.
    void MergeASFToQEL(KQelSdkManager& pManager, KQelNode* pParentNode, const char* pTakeName, bool pLimits);

    // A skeleton "ASF" (length unit 1) from the tree below pSceneRoot: a
    // bone "root" for it and one per node below, bound to the nodes' curves;
    // offset bones "<name>Dummy" where children sit apart; translation
    // degrees of freedom with pUseTranslation; pScale scales the whole
    // tree. False without a node.
    bool QELToASF(KQelNode* pSceneRoot, bool pUseTranslation, const KQelVector4& pScale);
    void CreateRoot(KQelNode* pSceneNode);
    // The bone's axis (its parent's turned by pRotation first), its vector
    // pTranslation scaled by pScale and turned by the axis, its length in
    // file units.
    void SetupNode(KQelAsfNode* pBone, const KQelVector4& pTranslation, const KQelVector4& pRotation,
                   const KQelVector4& pScale);
    void RecursiveCreate(KQelNode* pSceneNode, KQelAsfNode* pBone, bool pUseTranslation, const KQelVector4& pScale);
    // Binds the bones to the nodes of the same names below pSceneRoot (the
    // root to pSceneRoot); false without a root or a node.
    bool MergeQELToASF(KQelNode* pSceneRoot);
    void RecursiveMerge(KQelNode* pSceneNode, KQelAsfNode* pBone, KQelAsfNode* pAxisSource);

    char mName[kNameSize];
    double mMassUnit;
    double mLengthUnit;
    double mAngleFactor;  // AMC angles to degrees
    KQelAsfNode* mRoot;
};

// An ASF file: sections ":version", ":name", ":units", ":documentation",
// ":root", ":bonedata" (blocks "begin" ... "end"), ":hierarchy" and ":skin".
// Keywords match without regard to case; tokens split at blanks, tabs,
// commas and parentheses; lines whose first character is '#' are skipped.
class KQelFileAcclaimAsf : public KTextFile {
public:
    static KToken mMain[];      // ":version" ... ":skin", ":"
    static KToken mUnits[];     // "mass", "length", "angle"
    static KToken mRoot[];      // "axis", "order", "position", "orientation"
    static KToken mGroup[];     // "begin", "end"
    static KToken mBoneData[];  // "id" ... "cofmass"
    static KToken mAngle[];     // "deg", "rad"
    static KToken mAxis[];      // "zyx" ... "xyz"
    static KToken mOrder[];     // "tx" ... "rx"
    static KToken mDof[];       // "tx" ... "rx", "l"

    explicit KQelFileAcclaimAsf(bool pReport = false);

    // The skeleton into pScene, then its rest positions, and without the
    // bones of no degree of freedom when pRemoveDummy. False on a fault
    // (pScene then holds what was read).
    bool Read(KQelAsfScene& pScene, bool pRemoveDummy);
    // The skeleton (its root's order, every bone's direction, length, axis
    // in order "xyz" and degrees of freedom, the hierarchy); false when the
    // file could not be written.
    bool Write(KQelAsfScene& pScene);

private:
    typedef bool (KQelFileAcclaimAsf::*SectionReader)();
    bool ReadVersion();
    bool ReadName();
    bool ReadUnits();
    bool ReadDocumentation();
    bool ReadRoot();
    bool ReadBoneData();
    bool ReadHierarchy();
    bool ReadSkin();
    // The unit lines up to the next section line.
    bool ReadUnitLines();
    // One line of a bone block.
    bool ReadBoneLine(struct AsfBoneDraft& pDraft);
    bool FinishBone(struct AsfBoneDraft& pDraft);
    // The degree-of-freedom keywords at the cursor; more than six fail.
    bool ReadDofList(KQelAsfNode& pBone, KToken* pTable);
    // Moves to the next line that begins a section; false at the end.
    bool NextSectionLine();
    bool AtSection() { return Check(mMain) >= 0; }
    bool Fail(const char* pMessage);
    // The bone a hierarchy line names: the first of that name depth first.
    KQelAsfNode* FindBone(const char* pName);
    // Makes pChild, a child of the root, a child of pParent; false when
    // pParent lies in pChild's subtree.
    bool MoveUnder(KQelAsfNode* pParent, KQelAsfNode* pChild);
    // The root's children without those the hierarchy moved away.
    void CompactRoot();
    int FindSet(int pBone);

    KQelAsfScene* mScene;
    // The bones of ":bonedata" in file order, their indices by name, and the
    // top-level subtree (a set of bones) each lies in.
    std::vector<KQelAsfNode*> mBones;
    std::unordered_map<std::string, std::vector<int>> mBonesByName;
    std::unordered_map<const KQelAsfNode*, int> mBoneIndex;
    std::vector<int> mSets;
    bool mRootMoved;
};

// An AMC file: header lines (":FORMAT", ":SAMPLES-PER-SECOND",
// ":FRAME-RANGE" first-last, ...), then frames: a frame number line and one
// line per bone, its name and its values in degree-of-freedom order.
class KQelFileAcclaimAmc : public KTextFile {
public:
    static KToken mMain[];  // ":FORMAT" ... ":SMPTE", ":"

    explicit KQelFileAcclaimAmc(bool pReport = false);

    // Time mode from the rate, start from the range's first frame, frame
    // count (the frames counted, at most the range's); false for a
    // "FIRSTFRAME-INDEXED" format or an unreadable frame number.
    bool ReadOptions(KStreamOptionsMotion* pOptions);
    // The frames into curves of the skeleton: the options' frame count at
    // most (0: all), each at the options' start plus its number less one
    // frame periods. False on an unknown bone, a frame number outside the
    // int range or whose time is not after the previous frame's, a value
    // that does not fit a key, or keys past the key budget.
    bool Read(KQelAsfScene& pScene, KStreamOptionsMotion* pOptions);
    // The bone lines after a frame number line, up to the next one.
    bool ReadFrame(KQelAsfScene& pScene, KTime pTime);

    void WriteHeader(KQelAsfScene& pScene, bool pWriteRate, double pRate, bool pWriteRange, int pFirst, int pLast);
    // The frame number, then a line per bone with degrees of freedom.
    // pGlobalMatrix (may be null): the global matrix above the root.
    void WriteFrame(KQelAsfScene& pScene, KTime pTime, int pFrameNumber, const KgeAMatrix* pGlobalMatrix);
    void WriteBone(KQelAsfScene& pScene, KTime pTime, const KgeAMatrix* pGlobalMatrix);
    // Flushes the file: true when every print so far reached it.
    bool WriteOk() { return !mWriteFailed && Flush(); }

private:
    // True when the first token of the current line reads as a number.
    bool AtFrameNumber() const;
    // ":FORMAT" at the cursor: false (with the error) for
    // "FIRSTFRAME-INDEXED" or no word.
    bool CheckFormat();

    std::unordered_map<std::string, KQelAsfNode*> mBoneByName;
    std::unordered_map<const KQelAsfNode*, int> mSampledFrame;
    kLongLong mKeys;
    int mFrame;
    bool mWriteFailed;
};

// Reader of ASF files: one limb node per bone (bones without degrees of
// freedom left out unless option 9), "_End" nodes under leaf bones, limits
// with option 10, under "<name>:reference" with option 8; the skeleton is
// left in the options (which own it) for the AMC reads that follow.
// Errors: 0 "File is corrupted" (also for duplicate names, shown with the
// title "Error"), 3 "File not opened", 6 "Stream options not set". A failed
// read adds nothing.
class KQelReaderAcclaimAsf : public KQelMotionFileReader<KQelFileAcclaimAsf> {
public:
    explicit KQelReaderAcclaimAsf(KQelSdkManager& pManager);

    // Options 8 on, 9 and 10 off; null with error 3 without a file.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;
};

// Reader of AMC files into a new take (named after the file, with " 1",
// " 2"... when the scene has it) of the skeleton that an ASF read left in
// the options, merged into its nodes. Errors: 0 "File is corrupted", 3
// "File not opened", 6 "Stream options not set" (also without a skeleton,
// then with a text that says so). A failed read adds nothing.
class KQelReaderAcclaimAmc : public KQelMotionFileReader<KQelFileAcclaimAmc> {
public:
    explicit KQelReaderAcclaimAmc(KQelSdkManager& pManager);

    // Options 8 on, 9 and 10 off, then the file's rate, start and frame
    // count; null with error 3 without a file, 0 when the scan fails.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;
    // The file name without directory and extension, followed by a blank
    // and the first counter from 1 that makes it a name no take of the scene
    // has.
    static KString GenerateTakeName(KQelScene& pScene, const char* pFileName);
};

// Writer of ASF files: the skeleton of the nodes below FindRootNode, left
// in the options (which own it) for the AMC write that follows. Errors: 1
// (no file, with its own text when creating fails), 2 "Scene must have a
// single root node.", 4 "Stream options not set", 5 for blanks in names or
// a node "root" below the root (with their messages, shown with the title
// "Error"), 3 "Out of disk space" when the file could not be written.
class KQelWriterAcclaimAsf : public KQelMotionFileWriter<KQelFileAcclaimAsf> {
public:
    explicit KQelWriterAcclaimAsf(KQelSdkManager& pManager);

    // Options 0 and 13 off, 14 and 15 on, 16 off.
    KStreamOptions* GetWriteOptions() override;
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;
};

// Writer of AMC files: the frames of the skeleton that an ASF write left in
// the options, from the options' start every frame period, numbered from 1.
// Errors as the ASF writer's; 4 also without a skeleton, with a text that
// says so.
class KQelWriterAcclaimAmc : public KQelMotionFileWriter<KQelFileAcclaimAmc> {
public:
    explicit KQelWriterAcclaimAmc(KQelSdkManager& pManager);

    // Options 0 and 13 off, 14 and 15 on, 16 off.
    KStreamOptions* GetWriteOptions() override;
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;
};

}  // namespace qelsdk_600

#endif
