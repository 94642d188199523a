#include <vesk/MFnPlugin.h>

#include "core/object_access.h"
#include "plugin/plugin_registry.h"

namespace vesk {
namespace {

PluginRecord* recordOf(const MObject& object)
{
    RefObject* r = ObjectAccess::ref(object);
    return r && r->apiType() == MFn::kPlugin ? static_cast<PluginRecord*>(r) : nullptr;
}

std::string text(const MString& s)
{
    return std::string(s.asChar(), s.length());
}

// A text of the bound record, or "" with kInvalidParameter when unbound.
MString field(const MObject& object, MStatus* status, std::string PluginRecord::*member)
{
    const PluginRecord* r = recordOf(object);
    report(status, r ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return r ? MString((r->*member).c_str(), static_cast<int>((r->*member).size())) : MString();
}

} // namespace
} // namespace vesk

using vesk::plugins;
using vesk::recordOf;

MFnPlugin::MFnPlugin(const MObject& object, const char* vendor, const char* version, const char* requiredApiVersion,
                     MStatus* status)
{
    vesk::report(status, setObject(object));
    vesk::PluginRecord* r = recordOf(mObject);
    if (r && r->state == vesk::PluginRecord::kInitialising && !r->described) {
        r->described = true;
        r->vendor = vendor ? vendor : "";
        r->version = version ? version : "";
        r->requiredApiVersion = requiredApiVersion ? requiredApiVersion : "";
    }
}

MFn::Type MFnPlugin::type() const
{
    return MFn::kPlugin;
}

bool MFnPlugin::accepts(const MObject& object) const
{
    return recordOf(object) != nullptr;
}

MString MFnPlugin::vendor(MStatus* status) const
{
    return vesk::field(mObject, status, &vesk::PluginRecord::vendor);
}

MString MFnPlugin::version(MStatus* status) const
{
    return vesk::field(mObject, status, &vesk::PluginRecord::version);
}

MString MFnPlugin::apiVersion(MStatus* status) const
{
    return vesk::field(mObject, status, &vesk::PluginRecord::requiredApiVersion);
}

MString MFnPlugin::name(MStatus* status) const
{
    return vesk::field(mObject, status, &vesk::PluginRecord::name);
}

MStatus MFnPlugin::registerCommand(const MString& commandName, MCreatorFunction creator, MCreateSyntaxFunction)
{
    return plugins().addCommand(recordOf(mObject), vesk::text(commandName), creator);
}

MStatus MFnPlugin::deregisterCommand(const MString& commandName)
{
    return plugins().removeCommand(recordOf(mObject), vesk::text(commandName));
}

MStatus MFnPlugin::registerFileTranslator(const MString& translatorName, const char*, MCreatorFunction creator,
                                          const char*, const char* defaultOptionsString, bool)
{
    return plugins().addTranslator(recordOf(mObject), vesk::text(translatorName), creator, defaultOptionsString);
}

MStatus MFnPlugin::deregisterFileTranslator(const MString& translatorName)
{
    return plugins().removeTranslator(recordOf(mObject), vesk::text(translatorName));
}
