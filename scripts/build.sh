#!/usr/bin/env bash
# Builds the Windows program and its tests (build/win), the 64-bit browser
# extension module (build/win64), and the native tools and tests (build/host).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${FH_JOBS:-$(nproc)}
cd "$root"
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/host -j"$jobs"
cmake -S . -B build/win64 -DCMAKE_BUILD_TYPE=Release -DFH_EXTENSION_ONLY=ON \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/win64 -j"$jobs"
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DFH_WIN64_DIR="$root/build/win64" \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win -j"$jobs"
# What a user installs: build/win/dist/Framehaul/ with Framehaul.zip, and the
# setup program Framehaul-Setup-<version>.exe made from that folder.
cmake --build build/win --target setup
