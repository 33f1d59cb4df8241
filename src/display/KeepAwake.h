#pragma once
// What keeps the computer and its display awake while a deactivation that
// has an end runs: the system's own sleep would otherwise end a talk or a
// film that the deactivation was for.
#include <string>

namespace lumivane {

class IAwakeRequest {
public:
    virtual ~IAwakeRequest() = default;
    // Holds the computer awake, and the display too when `display`; what was
    // held before is replaced. `reason` is what the system shows for it;
    // false when nothing on this system can hold the computer awake.
    virtual bool Hold(const std::wstring& reason, bool display) = 0;
    virtual void Release() = 0;
};

}  // namespace lumivane
