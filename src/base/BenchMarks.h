#pragma once
// Start-up marks for the benchmark's traced build of the program
// (lumivane_bench_traced, LUMIVANE_BENCH_MARKS). The shipped executable is
// compiled without them: every mark is nothing there.
#ifdef LUMIVANE_BENCH_MARKS
namespace lumivane::bench {
// The first time NAME is marked, notes the time since the process was made.
void Mark(const char* name);
// Appends the marks as one line to the file named by LUMIVANE_BENCH_MARKS_FILE.
void WriteMarks(const wchar_t* arguments);
}  // namespace lumivane::bench
#define LUMIVANE_MARK(name) ::lumivane::bench::Mark(name)
#define LUMIVANE_WRITE_MARKS(arguments) ::lumivane::bench::WriteMarks(arguments)
#else
#define LUMIVANE_MARK(name) ((void)0)
#define LUMIVANE_WRITE_MARKS(arguments) ((void)0)
#endif
