// The modules the host has loaded and what they registered: commands (run
// through the interpreter) and file translators (used by the file menu).
#ifndef VESK_PLUGIN_PLUGIN_REGISTRY_H
#define VESK_PLUGIN_PLUGIN_REGISTRY_H

#include <string>
#include <unordered_map>
#include <vector>

#include <vesk/MFnPlugin.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

#include "command/command_result.h"
#include "store/ref.h"

namespace vesk {

// The record of one module, the object MFnPlugin binds to (MFn::kPlugin).
// It is no node: no iterator, dump or new scene sees it. Handles read as
// null once the module is unloaded.
class VESK_API PluginRecord : public RefObject {
public:
    enum State { kInitialising, kLoaded, kUnloading, kGone };

    PluginRecord() : RefObject(MFn::kPlugin) {}
    bool alive() const override { return state != kGone; }

    State state = kInitialising;
    // File name without directory and ".so"; the path given to dlopen.
    std::string name;
    std::string path;
    std::string vendor;
    std::string version;
    std::string requiredApiVersion;
    // The module's own MApiVersion text.
    std::string moduleApiVersion;
    bool described = false;
    void* handle = nullptr;
    MStatus (*uninitialize)(MObject) = nullptr;
    // Names it holds, in registration order.
    std::vector<std::string> commands;
    std::vector<std::string> translators;
};

// One registered translator.
struct TranslatorEntry {
    std::string name;
    MCreatorFunction creator = nullptr;
    // The default options text ("" when none was given).
    std::string defaultOptions;
    PluginRecord* owner = nullptr;
};

// What a listing shows of one loaded module.
struct PluginInfo {
    std::string name;
    std::string path;
    std::string vendor;
    std::string version;
    std::string apiVersion;
    // What it holds, in registration order.
    std::vector<std::string> commands;
    std::vector<std::string> translators;
};

// The highest API version a module may ask for.
constexpr long kHostApiVersion = 650;

class VESK_API PluginRegistry {
public:
    PluginRegistry() {}
    PluginRegistry(const PluginRegistry&) = delete;
    PluginRegistry& operator=(const PluginRegistry&) = delete;

    // Loads a module (a path, or a bare file name in the working
    // directory): dlopen with RTLD_NOW | RTLD_LOCAL, its MApiVersion checked
    // (decimal, zero-terminated within the symbol, at most 650), its entry
    // points found, then initializePlugin called with a new record. Refused
    // with an error line saying why (kFailure): a module that does not open,
    // one already loaded, a bad or missing version, a missing entry point,
    // initialisation failing (its registrations are then removed, without
    // uninitializePlugin) or throwing. name receives the module's name.
    MStatus load(const std::string& path, std::string* name = nullptr);
    // Unloads a module by name: uninitializePlugin (whatever it returns),
    // then each registration it left is removed with a warning line, then
    // dlclose. kNotFound when no module has the name.
    MStatus unload(const std::string& name);
    // Unloads every module, the last loaded first.
    void unloadAll();
    // Loaded modules in load order.
    std::vector<PluginInfo> list() const;
    bool loaded(const std::string& name) const;

    // ---- Registration (MFnPlugin) -----------------------------------------------
    MStatus addCommand(PluginRecord* owner, const std::string& name, MCreatorFunction creator);
    MStatus removeCommand(PluginRecord* owner, const std::string& name);
    MStatus addTranslator(PluginRecord* owner, const std::string& name, MCreatorFunction creator,
                          const char* defaultOptions);
    MStatus removeTranslator(PluginRecord* owner, const std::string& name);
    // Translators in registration order.
    std::vector<TranslatorEntry> translators() const;

    // One run of a registered command: a new object from its creator, doIt,
    // the result and status to the caller, the object deleted whatever
    // happened. A null object or an exception fails the run with an error
    // line.
    MStatus runCommand(const std::string& name, const std::vector<std::string>& args, CommandResult& result);

private:
    struct CommandEntry {
        MCreatorFunction creator = nullptr;
        PluginRecord* owner = nullptr;
    };

    PluginRecord* find(const std::string& name) const;
    // Removes what the record still holds; warns for each when asked.
    void dropRegistrations(PluginRecord* record, bool warn);
    void forget(PluginRecord* record);

    // Loaded modules in load order (each holds one reference).
    std::vector<Ref<PluginRecord>> mRecords;
    std::unordered_map<std::string, CommandEntry> mCommands;
    std::vector<TranslatorEntry> mTranslators;
    std::unordered_map<std::string, size_t> mTranslatorIndex;
};

// The process-wide registry, made on first use, never destroyed.
VESK_API PluginRegistry& plugins();

} // namespace vesk

#endif
