// Stand-in for a library planted beside the program or in the current folder.
#include <windows.h>

extern "C" __declspec(dllexport) int LumivanePlantedLibrary() { return 1; }
