#!/usr/bin/env bash
# tools/run on a stand-in project of two programs, with Wine replaced by a
# launcher that names the build it was handed: each run must build what
# changed, say "building…" only then, and start the program it just built.
#   run_test.sh WORK SOURCE_DIR
set -euo pipefail
work=$1 source=$(cd "$2" && pwd)
rm -rf "$work" && mkdir -p "$work/tools" "$work/cmake" "$work/src"
cp "$source/tools/run" "$work/tools/" && cp "$source/CMakePresets.json" "$work/"
cp "$source/cmake/mingw-w64-x86_64.cmake" "$work/cmake/"
echo : > "$work/tools/deps.sh"
cat > "$work/cmake/wine-env.sh" <<'SH'
[ "$1" = exec ] && echo "started $(grep -ao 'build-[0-9]*' "$3")"
SH
cat > "$work/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.20)
project(Lumivane CXX)
set(testing ${BUILD_TESTING})  # given by the preset
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
file(GLOB sources CONFIGURE_DEPENDS src/*.cpp)
add_executable(Lumivane ${sources})
add_executable(LumivaneConsole ${sources})
CM
mark() { echo "#include <cstdio>
int main() { std::puts(\"build-$1\"); }" > "$work/src/main.cpp"; }
mark 1
fails=0
# step | change before the run | expected output
while IFS='|' read -r step change expected; do
  eval "$change"
  got=$(cd "$work" && DISPLAY=:none bash tools/run 2>&1 | tr '\n' ' ')
  [ "$got" = "$expected" ] || { echo "FAIL $step: '$got', expected '$expected'"; fails=$((fails + 1)); }
done <<'ROWS'
fresh tree|:|building… started build-1 
up to date|:|started build-1 
up to date again|:|started build-1 
a source changed|mark 2|building… started build-2 
a source touched|touch "$work/src/main.cpp"|building… started build-2 
ROWS
[ $fails = 0 ] && echo "tools/run: every run built what changed and started it"
exit $fails
