#include "plugin/plugin_registry.h"

#include <algorithm>

#include <dlfcn.h>
#include <link.h>

#include <vesk/MPxCommand.h>

#include "command/command.h"
#include "command/interpreter.h"
#include "core/object_access.h"
#include "foundation/message_log.h"
#include "plugin/plugin_impl.h"

namespace vesk {
namespace {

void errorLine(const std::string& text)
{
    MessageLog::add(MessageLog::kError, text);
}

void warningLine(const std::string& text)
{
    MessageLog::add(MessageLog::kWarning, text);
}

// The module's name: the file name without directory and ".so".
std::string moduleName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
        name.resize(name.size() - 3);
    return name;
}

// Reads the module's MApiVersion without passing the end of the symbol.
// False with the reason when it is missing, unterminated, empty, not
// decimal or above what the host offers.
bool readApiVersion(void* handle, std::string& text, std::string& why)
{
    void* sym = dlsym(handle, "MApiVersion");
    if (!sym) {
        why = "it exports no MApiVersion";
        return false;
    }
    Dl_info info;
    void* extra = nullptr;
    const bool found = dladdr1(sym, &info, &extra, RTLD_DL_SYMENT) != 0;
    const ElfW(Sym)* entry = static_cast<const ElfW(Sym)*>(extra);
    if (!found || !entry || info.dli_saddr != sym) {
        why = "the size of its MApiVersion is unknown";
        return false;
    }
    const char* bytes = static_cast<const char*>(sym);
    const size_t size = static_cast<size_t>(entry->st_size);
    const size_t length = std::find(bytes, bytes + size, '\0') - bytes;
    if (length == size) {
        why = "its MApiVersion has no terminating zero";
        return false;
    }
    text.assign(bytes, length);
    if (text.empty()) {
        why = "its MApiVersion is empty";
        return false;
    }
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            why = "its MApiVersion \"" + text + "\" is not a decimal number";
            return false;
        }
        // Stops growing past the limit: a long text cannot overflow.
        if (value <= kHostApiVersion)
            value = value * 10 + (c - '0');
    }
    if (value > kHostApiVersion) {
        why = "it needs API version " + text + ", above " + std::to_string(kHostApiVersion);
        return false;
    }
    return true;
}

} // namespace

PluginRegistry& plugins()
{
    // Never destroyed: modules left mapped may call the host at exit.
    static PluginRegistry* s = new PluginRegistry;
    return *s;
}

PluginRecord* PluginRegistry::find(const std::string& name) const
{
    for (const Ref<PluginRecord>& r : mRecords)
        if (r->name == name)
            return r.get();
    return nullptr;
}

bool PluginRegistry::loaded(const std::string& name) const
{
    return find(name) != nullptr;
}

std::vector<PluginInfo> PluginRegistry::list() const
{
    std::vector<PluginInfo> out;
    for (const Ref<PluginRecord>& r : mRecords)
        out.push_back(PluginInfo{r->name, r->path, r->vendor, r->version, r->requiredApiVersion, r->commands,
                                 r->translators});
    return out;
}

MStatus PluginRegistry::load(const std::string& path, std::string* nameOut)
{
    const std::string name = moduleName(path);
    if (nameOut)
        *nameOut = name;
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    const std::string refused = "Module " + path + " refused: ";
    if (name.empty()) {
        errorLine(refused + "no file name");
        return MStatus::kFailure;
    }
    dlerror();
    void* handle = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        errorLine(refused + (why ? why : "it cannot be opened"));
        return MStatus::kFailure;
    }
    std::string why;
    for (const Ref<PluginRecord>& r : mRecords)
        if (r->handle == handle || r->name == name)
            why = "a module " + r->name + " is loaded already";
    std::string apiVersion;
    typedef MStatus (*EntryPoint)(MObject);
    EntryPoint init = nullptr;
    EntryPoint uninit = nullptr;
    if (why.empty() && readApiVersion(handle, apiVersion, why)) {
        init = reinterpret_cast<EntryPoint>(dlsym(handle, "initializePlugin"));
        uninit = reinterpret_cast<EntryPoint>(dlsym(handle, "uninitializePlugin"));
        if (!init || !uninit)
            why = std::string("it defines no ") + (init ? "uninitializePlugin" : "initializePlugin");
    }
    if (!why.empty()) {
        errorLine(refused + why);
        dlclose(handle);
        return MStatus::kFailure;
    }

    Ref<PluginRecord> record(new PluginRecord);
    record->name = name;
    record->path = where;
    record->moduleApiVersion = apiVersion;
    record->handle = handle;
    record->uninitialize = uninit;
    mRecords.push_back(record);
    MStatus status;
    {
        MObject object = ObjectAccess::fromRef(record.get());
        try {
            status = init(object);
        } catch (...) {
            errorLine("initializePlugin of " + name + " threw an exception");
            status = MStatus::kFailure;
        }
    }
    if (!status) {
        errorLine("initializePlugin of " + name + " failed: " + status.errorString().asChar());
        dropRegistrations(record.get(), false);
        forget(record.get());
        dlclose(handle);
        return MStatus::kFailure;
    }
    record->state = PluginRecord::kLoaded;
    return MStatus::kSuccess;
}

MStatus PluginRegistry::unload(const std::string& name)
{
    Ref<PluginRecord> record(find(name));
    if (!record)
        return MStatus::kNotFound;
    record->state = PluginRecord::kUnloading;
    MStatus status;
    {
        MObject object = ObjectAccess::fromRef(record.get());
        try {
            status = record->uninitialize(object);
        } catch (...) {
            errorLine("uninitializePlugin of " + name + " threw an exception");
            status = MStatus::kFailure;
        }
    }
    if (!status)
        errorLine("uninitializePlugin of " + name + " failed: " + status.errorString().asChar());
    // Whatever it returned, nothing of the module may stay reachable once
    // its code is gone.
    dropRegistrations(record.get(), true);
    void* handle = record->handle;
    forget(record.get());
    dlclose(handle);
    return MStatus::kSuccess;
}

void PluginRegistry::unloadAll()
{
    while (!mRecords.empty())
        unload(mRecords.back()->name);
}

void PluginRegistry::forget(PluginRecord* record)
{
    record->state = PluginRecord::kGone;
    record->handle = nullptr;
    for (size_t i = 0; i < mRecords.size(); ++i)
        if (mRecords[i].get() == record) {
            mRecords.erase(mRecords.begin() + static_cast<long>(i));
            break;
        }
}

void PluginRegistry::dropRegistrations(PluginRecord* record, bool warn)
{
    const std::vector<std::string> translators = record->translators;
    for (const std::string& t : translators) {
        if (warn)
            warningLine("Module " + record->name + " left the file translator \"" + t + "\" registered; removed");
        removeTranslator(record, t);
    }
    const std::vector<std::string> commands = record->commands;
    for (const std::string& c : commands) {
        if (warn)
            warningLine("Module " + record->name + " left the command \"" + c + "\" registered; removed");
        removeCommand(record, c);
    }
}

// ---- Registration ---------------------------------------------------------------------

namespace {

bool canRegister(const PluginRecord* owner)
{
    return owner && (owner->state == PluginRecord::kInitialising || owner->state == PluginRecord::kLoaded ||
                     owner->state == PluginRecord::kUnloading);
}

void dropName(std::vector<std::string>& names, const std::string& name)
{
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

} // namespace

MStatus PluginRegistry::addCommand(PluginRecord* owner, const std::string& name, MCreatorFunction creator)
{
    if (!canRegister(owner) || !creator)
        return MStatus::kInvalidParameter;
    const MStatus added = interpreter().addExternal(
        name, [this, name](const std::vector<std::string>& args, CommandResult& result) {
            return runCommand(name, args, result);
        });
    if (!added) {
        const bool legal = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        });
        errorLine(legal ? "The command name \"" + name + "\" is taken" : "\"" + name + "\" is not a command name");
        return legal ? MStatus::kFailure : MStatus::kInvalidParameter;
    }
    mCommands[name] = CommandEntry{creator, owner};
    owner->commands.push_back(name);
    return MStatus::kSuccess;
}

MStatus PluginRegistry::removeCommand(PluginRecord* owner, const std::string& name)
{
    auto it = mCommands.find(name);
    if (it == mCommands.end() || it->second.owner != owner)
        return MStatus::kFailure;
    mCommands.erase(it);
    interpreter().removeExternal(name);
    dropName(owner->commands, name);
    return MStatus::kSuccess;
}

MStatus PluginRegistry::addTranslator(PluginRecord* owner, const std::string& name, MCreatorFunction creator,
                                      const char* defaultOptions)
{
    if (!canRegister(owner) || !creator || name.empty())
        return MStatus::kInvalidParameter;
    if (mTranslatorIndex.count(name)) {
        errorLine("The file translator name \"" + name + "\" is taken");
        return MStatus::kFailure;
    }
    mTranslatorIndex[name] = mTranslators.size();
    mTranslators.push_back(TranslatorEntry{name, creator, defaultOptions ? defaultOptions : "", owner});
    owner->translators.push_back(name);
    return MStatus::kSuccess;
}

MStatus PluginRegistry::removeTranslator(PluginRecord* owner, const std::string& name)
{
    auto it = mTranslatorIndex.find(name);
    if (it == mTranslatorIndex.end() || mTranslators[it->second].owner != owner)
        return MStatus::kFailure;
    mTranslators.erase(mTranslators.begin() + static_cast<long>(it->second));
    mTranslatorIndex.clear();
    for (size_t i = 0; i < mTranslators.size(); ++i)
        mTranslatorIndex[mTranslators[i].name] = i;
    dropName(owner->translators, name);
    return MStatus::kSuccess;
}

std::vector<TranslatorEntry> PluginRegistry::translators() const
{
    return mTranslators;
}

// ---- Runs ---------------------------------------------------------------------------------

MStatus PluginRegistry::runCommand(const std::string& name, const std::vector<std::string>& args,
                                   CommandResult& result)
{
    auto it = mCommands.find(name);
    if (it == mCommands.end())
        return commandError("no module holds this command");
    const CommandEntry entry = it->second;
    MPxCommand* command = nullptr;
    try {
        command = static_cast<MPxCommand*>(entry.creator());
    } catch (...) {
        return commandError("the module's creator threw an exception");
    }
    if (!command)
        return commandError("the module's creator made no command object");
    MStatus status;
    try {
        status = command->doIt(MArgList(args));
    } catch (...) {
        status = commandError("the command threw an exception");
    }
    result = PxCommandAccess::result(*command);
    delete command;
    return status;
}

} // namespace vesk
