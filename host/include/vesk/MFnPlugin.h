// The plug-in record: what a module registers with the host, and the entry
// points every module defines.
#ifndef VESK_MFNPLUGIN_H
#define VESK_MFNPLUGIN_H

#include <vesk/MFnBase.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

class MSyntax;

// Creators return a new object (an MPxCommand or MPxFileTranslator
// subclass) that the host owns and deletes.
typedef void* (*MCreatorFunction)();
typedef MSyntax (*MCreateSyntaxFunction)();

// Works on the plug-in record the host hands to the entry points
// (initializePlugin, uninitializePlugin). Registrations belong to the
// module: the host removes what is left of them when the module is
// unloaded. Command names share one name space with the host's own
// commands (letters, digits and '_'); translator names are a space of
// their own. A name already taken is refused with kFailure and an error
// line naming it; the first holder keeps it.
class VESK_API MFnPlugin : public MFnBase {
public:
    MFnPlugin() {}
    // Binds to the record. The first binding made while the module is being
    // initialised records the vendor, the module's version and the API
    // version it needs ("6.5"); later ones leave them. An object that is not
    // a live plug-in record fails with kInvalidParameter.
    MFnPlugin(const MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* status = nullptr);
    MFn::Type type() const override;

    MString vendor(MStatus* status = nullptr) const;
    MString version(MStatus* status = nullptr) const;
    MString apiVersion(MStatus* status = nullptr) const;
    // The module's name: its file name without directory and ".so".
    MString name(MStatus* status = nullptr) const;

    // Registers a command; the syntax function is not used. kInvalidParameter
    // for a null creator or an illegal name.
    MStatus registerCommand(const MString& commandName, MCreatorFunction creator,
                            MCreateSyntaxFunction createSyntax = nullptr);
    // kFailure when this module holds no command of the name.
    MStatus deregisterCommand(const MString& commandName);
    // Registers a translator for the file menu, in registration order. The
    // pixmap, the options script and the last flag are not used; the
    // default options text is handed to reader and writer. kInvalidParameter
    // for a null creator or an empty name.
    MStatus registerFileTranslator(const MString& translatorName, const char* pixmapName,
                                   MCreatorFunction creator, const char* optionsScriptName = nullptr,
                                   const char* defaultOptionsString = nullptr, bool requiresFullMel = false);
    // kFailure when this module holds no translator of the name.
    MStatus deregisterFileTranslator(const MString& translatorName);

protected:
    bool accepts(const MObject& object) const override;
};

// What a module defines: its API version text (decimal, at most "650",
// zero-terminated) and its two entry points, found by these names.
#define VESK_MODULE_EXPORT __attribute__((visibility("default")))
extern "C" {
VESK_MODULE_EXPORT extern const char MApiVersion[];
VESK_MODULE_EXPORT MStatus initializePlugin(MObject object);
VESK_MODULE_EXPORT MStatus uninitializePlugin(MObject object);
}

#endif
