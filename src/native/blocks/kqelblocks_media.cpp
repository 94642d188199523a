// Video objects and the media section (clips, embedded files). They join
// this unit later; until then nothing is read or written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadMedia(KQelScene&, const char*)
{
    return true;
}

bool KQelReaderQel::ReadKQelVideo(KQelVideo&)
{
    return true;
}

// Once filled: CreateKQelVideo(pName), ReadKQelVideo, answer it.
KQelObject* KQelReaderQel::ReadVideoObject(const char*)
{
    return nullptr;
}

bool KQelWriterQel::WriteMedia(KQelScene&, bool, int& pMediaCount)
{
    pMediaCount = 0;
    return true;
}

}  // namespace qelsdk_600
