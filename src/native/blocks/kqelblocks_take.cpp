// Take animation blocks: the "Takes" section of both layouts and the
// animated-channel table of the older-layout writer. The blocks join this
// unit later; until then nothing is read or written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadAnimation(KQelScene&)
{
    return true;
}

void KQelWriterQel::FindAnimatedChannels(KQelScene&) {}

void KQelWriterQel::ClearAnimatedChannels()
{
    mTextureAnimatedChannels.Clear();
    mMaterialAnimatedChannels.Clear();
}

bool KQelWriterQel::WriteAnimation(KQelScene&)
{
    return true;
}

}  // namespace qelsdk_600
