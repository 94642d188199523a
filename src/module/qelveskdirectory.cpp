#include "module/qelveskdirectory.h"

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "base/kdir.h"

using qelsdk_600::KDir;
using qelsdk_600::KString;

namespace {

bool IsModuleEntry(KDir& pDir)
{
    const char* lName = pDir.Name();
    return std::strlen(lName) >= 7 && KString(lName).Left(7).CompareNoCase("qelvesk") == 0 &&
           pDir.GetExt().CompareNoCase("so") == 0;
}

} // namespace

bool IsDirWritable(KString& pPath)
{
    return faccessat(AT_FDCWD, pPath.Buffer(), W_OK | X_OK, AT_EACCESS) == 0;
}

KString DetermineMasterDirectory()
{
    const char* lVariable = std::getenv("VESK_PLUG_IN_PATH");
    const KString lList(lVariable ? lVariable : "");
    const int lCount = lList.GetTokenCount(";");
    for (int i = 0; i < lCount; ++i) {
        KString lDirectory = lList.GetToken(i, ";");
        KDir lDir;
        if (!lDir.Open(lDirectory.Buffer()) || !IsDirWritable(lDirectory))
            continue;
        do {
            if (IsModuleEntry(lDir)) {
                lDirectory += "/";
                return lDirectory;
            }
        } while (lDir.Next());
    }
    return KString("/usr/tmp/");
}
