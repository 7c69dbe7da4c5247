#!/usr/bin/env bash
# Builds both editions of the Windows program with their tests, install
# folders, zips and setup programs (build/win: x86; build/win64: x64), and
# the native tools and tests (build/host).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${FH_JOBS:-$(nproc)}
cd "$root"
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/host -j"$jobs"
# Each edition's package carries the other's browser module.
for edition in "win i686 win64" "win64 x86_64 win"; do
  set -- $edition
  cmake -S . -B "build/$1" -DCMAKE_BUILD_TYPE=Release -DFH_EXTENSION_ONLY=OFF \
        -DFH_OTHER_BUILD_DIR="$root/build/$3" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$2.cmake" >/dev/null
done
for dir in win win64; do cmake --build "build/$dir" -j"$jobs"; done
# What a user installs: build/<dir>/dist/Framehaul/ with its zip, and the
# setup program made from that folder.
for dir in win win64; do cmake --build "build/$dir" --target setup; done
