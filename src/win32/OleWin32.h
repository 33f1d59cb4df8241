#pragma once
// OLE on the calling thread, made at its first use. Only the help viewer's
// browser control and the program picker's file dialog need it, and a start
// that opens neither does not pay for it (tens of milliseconds under Wine).
#include <ole2.h>

namespace lumivane {

inline bool& OleReadyOnThisThread() {
    thread_local bool ready = false;
    return ready;
}

// True when OLE is ready on this thread.
inline bool EnsureOle() {
    bool& ready = OleReadyOnThisThread();
    if (!ready) ready = SUCCEEDED(OleInitialize(nullptr));
    return ready;
}

// Undoes EnsureOle on this thread, once every OLE object of it is gone.
inline void EndOle() {
    bool& ready = OleReadyOnThisThread();
    if (ready) OleUninitialize();
    ready = false;
}

}  // namespace lumivane
