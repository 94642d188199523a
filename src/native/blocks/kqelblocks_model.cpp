// Filled by the block unit; until then nothing is read or written.
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

bool KQelReaderQel::ReadNode()
{
    return true;
}

bool KQelReaderQel::ReadKQelNode(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeShading(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeCullingType(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeTarget(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeChildrenName(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeAttribute(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeProperties(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeAnimationSettings(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNodeDefaultAttributes(KQelNode&)
{
    return true;
}

bool KQelReaderQel::ReadKQelGenericNode(KQelGenericNode&)
{
    return true;
}

bool KQelWriterQel::WriteNode(KQelNode*)
{
    return true;
}

bool KQelWriterQel::WriteKQelNode(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeParameters(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeBegin(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeVersion(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeAnimationSettings(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeShading(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeCullingType(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeTarget(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeAnimatedProperties(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeAttribute(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeProperties(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeDefaultAttributes(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeChildrenList(KQelNode&)
{
    return true;
}

bool KQelWriterQel::WriteKQelNodeEnd(KQelNode&)
{
    return true;
}

KQelNode* KQelReaderQel::FindNode(const char* pName)
{
    return reinterpret_cast<KQelNode*>(mNodeTable.Get(pName));
}

}  // namespace qelsdk_600
