#pragma once
// The running copy's side of a request from another process: what it does
// for each request and the answer it gives.
#include <functional>

#include "app/Control.h"
#include "config/ManagedConfiguration.h"
#include "ui/MainForm.h"

namespace lumivane {

struct TControlTarget {
    const TCommandDispatch& Dispatch;
    TManagedConfiguration& Config;
    ISystemParameters& Spi;
    // Runs a command once the answer is on its way: one that may hold a
    // dialog open (continuous mode) or end the program must not keep the
    // sender waiting.
    std::function<void(TCommandId)> Later;
};

// Carries the request out as the menu's command would and returns the
// state afterwards.
TControlReply CarryOut(const TControlTarget& target, const TControlRequest& request);

}  // namespace lumivane
