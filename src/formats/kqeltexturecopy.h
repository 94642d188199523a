// Copies of texture images beside a written geometry file.
#ifndef QELSDK_FORMATS_KQELTEXTURECOPY_H
#define QELSDK_FORMATS_KQELTEXTURECOPY_H

#include "base/kstring.h"

namespace qelsdk_600 {

// Copies the regular file pTexturePath into pDirectory (the working
// directory when empty) under its own file name, byte for byte. A file of
// that name already there is kept as it is and the answer is true. False
// when the source is missing or not a regular file (pMessage gets "Unable
// to locate texture file \"<texture path>\".\n") or the copy cannot be made
// whole (pMessage gets "Error writing texture file \"<destination>\".\n"; a
// partial copy is removed). Messages are appended.
bool CopyTextureFile(const char* pTexturePath, const char* pDirectory, KString& pMessage);

}  // namespace qelsdk_600

#endif
