// The scene's camera switcher block and the camera fix-ups after a read
// (background textures, switcher indices). They join this unit later; until
// then nothing is read, written or changed.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadCameraSwitcher(KQelScene&)
{
    return true;
}

bool KQelReaderQel::ResolveCameraBackgrounds(KQelScene&)
{
    return true;
}

void KQelReaderQel::ReorderCameraSwitcherIndices(KQelScene&) {}

bool KQelWriterQel::WriteCameraSwitcher(KQelScene&)
{
    return true;
}

bool KQelReaderQel::ReadKQelCameraSwitcher(KQelCameraSwitcher&)
{
    return true;
}

bool KQelWriterQel::WriteKQelCameraSwitcher(KQelCameraSwitcher&)
{
    return true;
}

}  // namespace qelsdk_600
