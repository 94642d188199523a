// Character blocks ("CHARACTER", link groups, filter and control sets,
// effectors); marker sets and actors, which are never stored. The character
// blocks join this unit later; until then nothing is read or written.
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadCharacter(KQelScene&)
{
    return true;
}

bool KQelReaderQel::ReadKQelCharacter(KQelCharacter&, int& pInputIndex)
{
    pInputIndex = -1;
    return true;
}

bool KQelReaderQel::ReadMarkerSet(KQelScene&)
{
    return true;
}

bool KQelReaderQel::ReadActor(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteCharacter(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteMarkerSet(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteActor(KQelScene&)
{
    return true;
}

}  // namespace qelsdk_600
