#pragma once
// The running copy's side of a request from another process: what it does
// for each request and the answer it gives.
#include <functional>

#include "app/Control.h"
#include "commands/CommandDispatch.h"
#include "config/ManagedConfiguration.h"
#include "options/MainForm.h"

namespace lumivane {

struct TControlTarget {
    const TCommandDispatch& Dispatch;
    TManagedConfiguration& Config;
    ISystemParameters& Spi;
    // Runs a command once the answer is on its way: one that may hold a
    // dialog open (continuous mode) or end the program must not keep the
    // sender waiting.
    std::function<void(TCommandId)> Later;
    // Holds the items deactivated while the process runs: false where it
    // cannot be waited for (ended already, or not this user's).
    std::function<bool(uint32_t processId)> HoldWhile = {};
    // How many processes are held now.
    std::function<size_t()> Holds = {};
};

// Carries the request out as the menu's command would and returns the
// state afterwards.
TControlReply CarryOut(const TControlTarget& target, const TControlRequest& request);

// An administrator's policy refuses the request: every one but those an
// uninstaller or a package manager needs when control is not allowed, and
// a deactivation when none is.
bool NotAllowed(const TPolicies& policies, TControlVerb verb, bool activated);

// Where the running copy is when a request comes.
struct TCopyState {
    bool Ready = true;      // the start's steps are done (a start-up message is not)
    bool InCommand = false;  // a request or Restore is reading messages halfway
    bool Ending = false;     // its end steps have begun
};
// The message's result: the answer of a request carried out, kBusyReply
// while the copy will take it later, 0 for a request it never takes.
uint64_t Answer(const TControlTarget& target, const std::optional<TControlRequest>& request,
                const TCopyState& state);

}  // namespace lumivane
