// Filled by the block unit; until then nothing is read or written.
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadPoses(KQelScene&)
{
    return true;
}

int KQelReaderQel::ReadCharacterPose(KQelScene&)
{
    return 0;
}

bool KQelReaderQel::ReadPose(KQelScene&)
{
    return true;
}

bool KQelReaderQel::ReadKQelPose(KQelPose*, bool)
{
    return true;
}

bool KQelReaderQel::ReadKQelCharacterPose(KQelCharacterPose&)
{
    return true;
}

bool KQelWriterQel::WritePose(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteKQelPose(KQelPose&)
{
    return true;
}

bool KQelWriterQel::WriteCharacterPose(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteKQelCharacterPose(KQelCharacterPose&)
{
    return true;
}

bool KQelWriterQel::WriteConstraint(KQelScene&)
{
    return true;
}

}  // namespace qelsdk_600
