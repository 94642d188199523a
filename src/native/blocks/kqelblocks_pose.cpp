// Bind and rest poses, character poses (nested scenes) and constraints. The
// blocks join this unit later; until then nothing is read or written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

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

bool KQelWriterQel::WriteCharacterPose(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteConstraint(KQelScene&)
{
    return true;
}

}  // namespace qelsdk_600
