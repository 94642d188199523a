// Filled by the block unit; until then nothing is read or written.
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadAnimation(KQelScene&)
{
    return true;
}

bool KQelReaderQel::ReadTakeAnimation(KQelScene&, KQelTakeInfo*)
{
    return true;
}

bool KQelReaderQel::ReadNodeAnimation(KQel&, KQelScene&, KQelTakeInfo*)
{
    return true;
}

void KQelReaderQel::ReadAnimation(KQel&, KFCurveNode*)
{
}

bool KQelReaderQel::TimeShiftNodeAnimation(KQelScene&, KQelTakeInfo*)
{
    return true;
}

void KQelReaderQel::ReadTimeWarps(KQel&, KSet&)
{
}

bool KQelReaderQel::MergeLayerAndTimeWarp(KFCurveNode*, KFCurveNode*)
{
    return true;
}

bool KQelReaderQel::MergeTimeWarpWithLayer(KFCurveNode*, KFCurveNode*)
{
    return true;
}

bool KQelReaderQel::MergeTimeWarpWithoutLayer(KFCurveNode*, KFCurveNode*)
{
    return true;
}

void KQelWriterQel::FindAnimatedChannels(KQelScene&)
{
}

void KQelWriterQel::ClearAnimatedChannels()
{
    mTextureAnimatedChannels.Clear();
    mMaterialAnimatedChannels.Clear();
}

const bool* KQelWriterQel::GetTextureAnimatedChannels(const KQelObject*) const
{
    return nullptr;
}

const bool* KQelWriterQel::GetMaterialAnimatedChannels(const KQelObject*) const
{
    return nullptr;
}

bool KQelWriterQel::WriteAnimation(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteAnimation(KQelNode&, const char*)
{
    return true;
}

bool KQelWriterQel::WriteTakeNode(KQelTakeNodeContainer&, const char*, const char*, bool)
{
    return true;
}

}  // namespace qelsdk_600
