// Filled by the block unit; until then nothing is read or written.
#include "native/blocks/kqelblockio.h"
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

bool KQelReaderQel::ReadKQelCharacterLinkGroup(KQelCharacter&, int)
{
    return true;
}

bool KQelReaderQel::ReadKQelCharacterLink(KQelCharacter&, int)
{
    return true;
}

bool KQelReaderQel::ReadKQelFilterSet(KQelFilterSet&)
{
    return true;
}

bool KQelReaderQel::ReadKQelControlSet(KQelControlSet&)
{
    return true;
}

bool KQelReaderQel::ReadKQelControlSetLinkGroup(KQelControlSet&, int)
{
    return true;
}

bool KQelReaderQel::ReadKQelControlSetLink(KQelControlSet&, int)
{
    return true;
}

bool KQelReaderQel::ReadKQelEffector(KQelControlSet&)
{
    return true;
}

bool KQelReaderQel::ReadKQelEffectorAux(KQelControlSet&)
{
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

bool KQelWriterQel::WriteKQelCharacter(KQelScene&, int)
{
    return true;
}

bool KQelWriterQel::WriteKQelCharacterLinkGroup(KQelCharacter&, int, KQelEntity&, bool)
{
    return true;
}

bool KQelWriterQel::WriteKQelCharacterLink(KQelCharacter&, int, KQelEntity&, bool)
{
    return true;
}

bool KQelWriterQel::WriteKQelFilterSet(KQelFilterSet&)
{
    return true;
}

bool KQelWriterQel::WriteKQelControlSet(KQelControlSet&, KQelEntity&, bool)
{
    return true;
}

bool KQelWriterQel::WriteKQelControlSetLinkGroup(KQelControlSet&, int, KQelEntity&, bool)
{
    return true;
}

bool KQelWriterQel::WriteKQelControlSetLink(KQelControlSet&, int, KQelEntity&)
{
    return true;
}

bool KQelWriterQel::WriteKQelEffector(KQelControlSet&, int, KQelEntity&)
{
    return true;
}

bool KQelWriterQel::WriteKQelEffectorAux(KQelControlSet&, int, KQelEntity&)
{
    return true;
}

bool KQelWriterQel::WriteMarkerSet(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteKQelMarkerSet(KQelScene&, int)
{
    return true;
}

bool KQelWriterQel::WriteActor(KQelScene&)
{
    return true;
}

bool KQelWriterQel::WriteKQelActor(KQelScene&, int)
{
    return true;
}

}  // namespace qelsdk_600
