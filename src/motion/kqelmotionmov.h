// The MOV channel table (a time column, then per marker the enabled groups
// of translation, rotation and scaling), its reader and its writer.
#ifndef QELSDK_MOTION_KQELMOTIONMOV_H
#define QELSDK_MOTION_KQELMOTIONMOV_H

#include "base/ktextfile.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

class KQelNode;
class KStreamOptionsMotion;

// A MOV file: one row of numbers per non-empty line, split at blanks, tabs
// and line ends; no header. The first row's numbers set the column count.
class KQelFilePellacordMov : public KTextFile {
public:
    KQelFilePellacordMov();

    // The non-empty lines; false when the file has none.
    bool GetRowCount(int& pCount);
    // The numbers of the first line; false when it has none, holds anything
    // else after them, or holds an infinite one.
    bool GetColumnCount(int& pCount);
    // From the first line (pFirst) or the next: up to pCount numbers, the
    // rest 0.0; pRead (when given) receives how many were read. False when
    // there is no line, or when a number is infinite (HadInfinite then true).
    bool ReadRow(double* pValues, int pCount, bool pFirst, int* pRead = nullptr);
    bool HadInfinite() const { return mInfinite; }

    // A value and a tab; the line end.
    void PrintValue(double pValue);
    void PrintRowEnd();
    // Flushes the file: true when every print so far reached it.
    bool WriteOk() { return !mWriteFailed && Flush(); }

private:
    bool mInfinite;
    bool mWriteFailed;
};

// Reader of MOV files: optical markers "Marker0", "Marker1", ... under
// "MOV:optical" (option 4) or "MOV:reference", one take named after the
// file. Errors: 0 (no column count, no first row, an infinite value, more
// keys than the budget), 3, 6, 7 "No animation to import." (options 0, 1,
// 2 all off). A read that fails leaves the scene as it was.
class KQelReaderPellacordMov : public KQelMotionFileReader<KQelFilePellacordMov> {
public:
    explicit KQelReaderPellacordMov(KQelSdkManager& pManager);

    // Start at the first row's time; frame count the row count; the rate
    // estimated from the times of the first ten rows (a row whose time is
    // not above the previous one's adds nothing; no estimate: the global
    // mode); options 0, 1, 2 on, 4 off.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

private:
    // The rows read, each as long as the file made it (missing values 0).
    struct Rows;
    void CreateNodeArray(KArrayTemplate<KQelNode*>& pNodes, int pCount);
    // The take's keys of every group enabled in pGroups (translation,
    // rotation, scaling); false when key room cannot be reserved.
    bool CreateAnimation(KStreamOptionsMotion* pOptions, KArrayTemplate<KQelNode*>& pNodes, const KString& pTakeName,
                         const Rows& pRows, const bool* pGroups);
};

// Writer of MOV files: per frame period a row of the time and, per
// selected node, the enabled groups of its global transform below the
// sampling root. Errors: 1, 2 "No animation to export." (options 0, 1, 2
// all off), 3 when the file could not be written, 4.
class KQelWriterPellacordMov : public KQelMotionFileWriter<KQelFilePellacordMov> {
public:
    explicit KQelWriterPellacordMov(KQelSdkManager& pManager);

    // Options 0, 1, 2 on, 13 off.
    KStreamOptions* GetWriteOptions() override;
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    void FillNodeArray(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode);
    void WriteFrame(KArrayTemplate<KQelNode*>& pNodes, KTime pTime, bool pTranslation, bool pRotation,
                    bool pScaling);
    void WriteNode(KQelNode* pNode, KTime pTime, bool pTranslation, bool pRotation, bool pScaling);
};

}  // namespace qelsdk_600

#endif
