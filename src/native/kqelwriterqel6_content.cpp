// Geometry, deformer, material, texture and video blocks: not written yet.
// The attribute dispatch and the Objects section already call them, so
// filling these bodies completes the document.
#include "native/kqelwriterqel6.h"

namespace qelsdk_600 {

bool KQelWriterQel6::WriteKQelMesh(KQelMesh&)
{
    return true;
}

bool KQelWriterQel6::WriteKQelNurb(KQelNurb&)
{
    return true;
}

bool KQelWriterQel6::WriteKQelPatch(KQelPatch&)
{
    return true;
}

bool KQelWriterQel6::WriteKQelGeometry(KQelGeometry&)
{
    return true;
}

bool KQelWriterQel6::WriteMaterials(KQelScene&)
{
    return true;
}

bool KQelWriterQel6::WriteDeformers(KQelScene&)
{
    return true;
}

bool KQelWriterQel6::WriteVideos(KQelScene&)
{
    return true;
}

bool KQelWriterQel6::WriteTextures(KQelScene&)
{
    return true;
}

}  // namespace qelsdk_600
