#include <gtest/gtest.h>

#include <clocale>
#ifdef _WIN32
#include "win32/NameCaseWin32.h"
#endif

// Names compare by a complete case table: the system's own on Windows, the C
// library's under C.UTF-8 here ("C" folds ASCII only and would hide faults).
int main(int argc, char** argv) {
#ifdef _WIN32
    lumivane::UseSystemNameCase();
#else
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) return 1;
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
