#pragma once
// The system's own upper-case table for names (base/NameCase.h).
namespace lumivane {

// Called first thing in a process that compares names.
void UseSystemNameCase();

}  // namespace lumivane
