// The session-wide part of the test API: logs, variables, the settings a
// user sets by hand, and starting over.
#include <standin/StandIn.h>

#include "command/interpreter.h"
#include "foundation/message_log.h"
#include "solver/solver.h"
#include "store/node_store.h"
#include "ui/dialogs.h"
#include "ui/ui_model.h"

namespace standin {

std::string variable(const std::string& name)
{
    std::string value;
    vesk::interpreter().variable(name, value);
    return value;
}

std::vector<LoggedCommand> commandLog()
{
    const auto& log = vesk::interpreter().log();
    return std::vector<LoggedCommand>(log.begin(), log.end());
}

void clearLogs()
{
    vesk::interpreter().clearLog();
    vesk::dialogState().shown.clear();
}

MStatus setUpAxis(const std::string& axis)
{
    if (axis != "y" && axis != "z")
        return MStatus::kInvalidParameter;
    vesk::store().globals().upAxis = axis;
    return MStatus::kSuccess;
}

MStatus setJointDisplayScale(double scale)
{
    if (!(scale > 0.0))
        return MStatus::kInvalidParameter;
    vesk::store().globals().jointDisplayScale = scale;
    return MStatus::kSuccess;
}

void resetHost()
{
    vesk::store().reset();
    vesk::store().globals() = vesk::Globals();
    vesk::interpreter().reset();
    vesk::ui().clear();
    vesk::dialogState().clear();
    vesk::resetSolver();
    vesk::MessageLog::clear();
}

} // namespace standin
