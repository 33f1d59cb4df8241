#!/usr/bin/env bash
# tools/run on a stand-in project, with a launcher in Wine's place that names the build it is handed: every
# run builds what changed, says "building…" only then, and starts what it built.   run_test.sh WORK SOURCE_DIR
set -euo pipefail
work=$1 source=$(cd "$2" && pwd) && rm -rf "$work" && mkdir -p "$work/tools" "$work/cmake" "$work/src" && cd "$work"
cp "$source/tools/run" tools/ && cp "$source/CMakePresets.json" . && cp "$source/cmake/mingw-w64-x86_64.cmake" cmake/
echo : > tools/deps.sh && echo '[ "$1" = exec ] && echo "started $(grep -ao "build-[0-9]*" "$3")"' > cmake/wine-env.sh
printf '%s\n' 'cmake_minimum_required(VERSION 3.20)' 'project(Lumivane CXX)' 'set(given ${BUILD_TESTING})' 'file(GLOB s CONFIGURE_DEPENDS src/*.cpp)' \
  'set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)' 'add_executable(Lumivane ${s})' 'add_executable(LumivaneConsole ${s})' > CMakeLists.txt
mark() { printf '#include <cstdio>\nint main() { std::puts("build-%s"); }\n' "$1" > src/main.cpp; }
mark 1
while IFS='|' read -r change expected; do  # the change before a run | what the run says
  eval "$change" && got=$(DISPLAY=:none bash tools/run 2>&1 | tr '\n' ' ')
  [ "$got" = "$expected" ] || { echo "FAIL after \`$change\`: '$got', expected '$expected'"; exit 1; }
done <<'ROWS'
:|building… started build-1 
:|started build-1 
:|started build-1 
mark 2|building… started build-2 
touch src/main.cpp|building… started build-2 
ROWS
