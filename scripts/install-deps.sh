#!/usr/bin/env bash
# Installs what building and testing need on Debian or Ubuntu. Does nothing
# when everything is there already; installing needs root, so a user who is
# not root is asked through sudo.
set -eu
packages=(mingw-w64 mingw-w64-tools wine wine32:i386 wine64 fonts-wine libwine-dev
          xvfb xauth x11-utils imagemagick cmake make g++ googletest libgtest-dev
          clang libclang-rt-14-dev python3 zip curl locales nsis libssl-dev openssl)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    exec sudo bash "$0" "$@"
  fi
  echo "install-deps: run as root to install: ${missing[*]}" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}" >&2
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync can refuse one index for a while; a few
# tries, then install from what was read (a missing security index of one
# architecture does not keep the rest from installing).
for try in 1 2 3; do
  apt-get update -q >/dev/null && break
  [ "$try" -lt 3 ] && sleep 10
done
if ! apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null; then
  # Without a usable i386 index the 32-bit Wine cannot be installed; the rest
  # still can, and the tests then run the x64 edition alone (they say why).
  rest=()
  for p in "${missing[@]}"; do [[ $p == *:i386 ]] || rest+=("$p"); done
  echo "install-deps: installing without the 32-bit packages: ${rest[*]}" >&2
  apt-get install -y -q --no-install-recommends "${rest[@]}" >/dev/null
fi
