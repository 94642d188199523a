// The module's entry points: registration of the translator and the
// commands, and the directories the SDK works in.
#include <cstdio>


#include <vesk/MFnPlugin.h>

#include "base/klib.h"
#include "base/kstring.h"
#include "object/kclassdefinition.h"
#include "module/qelveskdirectory.h"
#include "module/qelveskcommands.h"
#include "module/qelvesktranslator.h"
#include "plugin/qelveskuserparams.h"

using qelsdk_600::KString;

extern "C" const char MApiVersion[] = "650";

namespace {

// Made before any other static object of the module, so ended after all of
// them: at unload it frees what the SDK keeps for the whole process, which
// would otherwise be lost with the module's memory.
struct ModuleStatics {
    ~ModuleStatics() { qelsdk_600::KObject_ReleaseStatics(); }
};
ModuleStatics gModuleStatics __attribute__((init_priority(101)));

} // namespace

MStatus initializePlugin(MObject pObject)
{
    char lApi[16];
    std::snprintf(lApi, sizeof lApi, "%2.1f", 6.5);
    KString lRequired;
    lRequired += lApi;
    MFnPlugin lPlugin(pObject, "Tovik", "6.0.2", lRequired.Buffer());
    qelsdk_600::KLib_SetMasterDirectory(DetermineMasterDirectory().Buffer());
    qelsdk_600::KLib_SetConfigDirectory(DetermineMasterDirectory().Buffer());
    QelVeskUserParams::Instance()->Load();

    MStatus lStatus = lPlugin.registerFileTranslator("Qel", "", QelVeskTranslator::creator, nullptr, nullptr, false);
    if (!lStatus) {
        lStatus.perror("registerFileTranslator");
        return lStatus;
    }
    int lCount = 0;
    const QelVeskCommandEntry* lCommands = QelVeskCommands(lCount);
    for (int i = 0; i < lCount; ++i)
        lPlugin.registerCommand(lCommands[i].name, lCommands[i].creator);
    return lStatus;
}

MStatus uninitializePlugin(MObject pObject)
{
    MFnPlugin lPlugin(pObject, "Unknown", "Unknown", "Any");
    MStatus lStatus = lPlugin.deregisterFileTranslator("Qel");
    if (!lStatus) {
        lStatus.perror("deregisterFileTranslator");
        return lStatus;
    }
    int lCount = 0;
    const QelVeskCommandEntry* lCommands = QelVeskCommands(lCount);
    for (int i = 0; i < lCount; ++i)
        lPlugin.deregisterCommand(lCommands[i].name);
    // No command is left to use the importer held between commands.
    CommandImportBase::DropImporter();
    return lStatus;
}
