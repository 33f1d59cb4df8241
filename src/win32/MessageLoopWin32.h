#pragma once
// Handling the messages that wait in the thread's queue, in the middle of a
// command, without losing a request to end the program.
#include <windows.h>

#include <optional>

namespace lumivane {

// Dispatches every waiting message. A quit request read on the way is
// returned (its exit code) and the messages behind it are still handled.
std::optional<int> DispatchPendingMessages();

}  // namespace lumivane
