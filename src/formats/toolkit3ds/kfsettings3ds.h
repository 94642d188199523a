// Keyframer settings: the animation length and current frame (KFHDR,
// KFCURTIME) and the active segment (KFSEG) of the keyframer section.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_KFSETTINGS3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_KFSETTINGS3DS_H

#include <cstdint>

#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

struct keyinfo3ds {
    std::uint32_t length;    // frames, 30
    std::uint32_t curframe;  // 0
};

struct kfsegment3ds {
    byte3ds use;             // 0
    std::uint32_t begin;     // 0
    std::uint32_t end;       // 30
};

// One block the caller owns.
struct kfsets3ds {
    keyinfo3ds anim;
    kfsegment3ds seg;
};

void InitKeyInfo3ds(keyinfo3ds* info);
void InitKfSegment3ds(kfsegment3ds* segment);
void InitKfSets3ds(kfsets3ds** settings);
void ReleaseKfSets3ds(kfsets3ds** settings);
// The length and current frame, each when its chunk exists. Reading a
// database without a keyframer section gives it an empty one.
void GetKeyInfo3ds(database3ds* database, keyinfo3ds* info);
// Replaces only the length of an existing KFHDR (else adds one of revision
// 5 and an empty name), and the current frame.
void PutKeyInfo3ds(database3ds* database, keyinfo3ds* info);
// The segment, in use when KFSEG exists; the record is untouched otherwise.
void GetKfSegment3ds(database3ds* database, kfsegment3ds* segment);
// Writes the segment when in use, else empties an existing KFSEG.
void PutKfSegment3ds(database3ds* database, kfsegment3ds* segment);
// All of the above, on mesh files and projects.
void GetKfSets3ds(database3ds* database, kfsets3ds** settings);
void PutKfSets3ds(database3ds* database, kfsets3ds* settings);
// Copies KFHDR, KFCURTIME and KFSEG into destination, each in place of its
// namesake.
void CopyKfSets3ds(database3ds* destination, database3ds* source);

}  // namespace qelsdk_600

#endif
