// Modal dialogs: the replies scripted for them, the record of those shown,
// and the problems met.
#ifndef VESK_UI_DIALOGS_H
#define VESK_UI_DIALOGS_H

#include <deque>
#include <map>
#include <string>
#include <vector>

#include <standin/StandIn.h>

#include "command/binder.h"
#include "command/command_result.h"

namespace vesk {

struct DialogState {
    std::map<std::string, std::deque<standin::Reply>> byTitle;
    std::deque<standin::Reply> general;
    std::map<std::string, standin::Reply> standing;
    std::deque<standin::DialogRecord> shown;
    std::vector<std::string> problems;

    void clear();
};

DialogState& dialogState();

// "confirmDialog -t T -m M -b B...": answers with the pressed label ("" when
// dismissed).
extern const FlagSpec kConfirmFlags[3];
MStatus runConfirmDialog(const BoundArgs& args, CommandResult& result);

} // namespace vesk

#endif
