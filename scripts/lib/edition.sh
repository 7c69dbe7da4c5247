# Sourced by wine-env.sh: which editions of the program this machine runs
# under Wine, and how Wine is started for each. The one place where the
# scripts choose an architecture.
#   x86  build/win in a 32-bit prefix (the first edition);
#   x64  build/win64 in a 64-bit prefix.
# A machine whose kernel runs no 32-bit code (IA-32 emulation off) runs
# only x64; FH_X64_ONLY=1 takes that path anywhere.
#
# fh_use_edition EDITION sets FH_EDITION, FH_BUILD (its build folder),
# FH_OTHER_BUILD (the other edition's), WINEARCH, and for x64 puts a folder
# (build/wine-x64) first on PATH whose `wine`, `wineboot`, `winepath` and `wineserver` run that
# edition's Wine: Debian's own scripts always start the 32-bit loader when
# it is installed, also where it cannot run.

FH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
FH_WINE64=/usr/lib/wine/wine64
FH_WINESERVER64=/usr/lib/wine/wineserver64
FH_EDITION_PATH=${FH_EDITION_PATH:-}

# True when this machine runs 32-bit code, judged by its effect: the
# 32-bit loader must start and print its version (a kernel without IA-32
# emulation refuses to execute it; a missing wine32 leaves no loader).
fh_runs_32bit() {
  if [ -z "${FH_RUNS_32BIT:-}" ]; then
    FH_RUNS_32BIT=no
    if [ "${FH_X64_ONLY:-0}" = 0 ] && /usr/lib/wine/wine --version 2>/dev/null | grep -q '^wine-'; then
      FH_RUNS_32BIT=yes
    fi
  fi
  [ "$FH_RUNS_32BIT" = yes ]
}

# Why this machine runs only x64; empty where it runs both.
fh_why_x64_only() {
  fh_runs_32bit && return
  if [ "${FH_X64_ONLY:-0}" != 0 ]; then echo "FH_X64_ONLY=$FH_X64_ONLY asks for the x64-only path"
  elif [ ! -e /usr/lib/wine/wine ]; then echo "the 32-bit Wine loader is not installed"
  else echo "this machine runs no 32-bit code (its kernel refuses 32-bit programs)"; fi
}

# The editions to test here, the first edition first.
fh_editions() { if fh_runs_32bit; then echo "x86 x64"; else echo x64; fi; }
# The edition to run when one is enough: the first one this machine runs.
fh_default_edition() { fh_editions | cut -d' ' -f1; }

fh_use_edition() {
  [ -n "$FH_EDITION_PATH" ] && PATH=${PATH#"$FH_EDITION_PATH:"}
  FH_EDITION_PATH=${FH_EDITION_PATH:-}
  unset WINELOADER WINESERVER
  case "$1" in
    x86)
      FH_BUILD=$FH_ROOT/build/win FH_OTHER_BUILD=$FH_ROOT/build/win64 WINEARCH=win32 ;;
    x64)
      FH_BUILD=$FH_ROOT/build/win64 FH_OTHER_BUILD=$FH_ROOT/build/win WINEARCH=win64
      FH_EDITION_PATH=$FH_ROOT/build/wine-x64
      mkdir -p "$FH_EDITION_PATH"
      printf '#!/bin/sh\nexec %s "$@"\n' "$FH_WINE64" >"$FH_EDITION_PATH/wine"
      printf '#!/bin/sh\nexec %s %s "$@"\n' "$FH_WINE64" wineboot >"$FH_EDITION_PATH/wineboot"
      printf '#!/bin/sh\nexec %s %s "$@"\n' "$FH_WINE64" winepath >"$FH_EDITION_PATH/winepath"
      printf '#!/bin/sh\nexec %s "$@"\n' "$FH_WINESERVER64" >"$FH_EDITION_PATH/wineserver"
      chmod +x "$FH_EDITION_PATH"/*
      PATH=$FH_EDITION_PATH:$PATH
      export WINELOADER=$FH_WINE64 WINESERVER=$FH_WINESERVER64 ;;
    *) echo "fh_use_edition: no edition '$1'" >&2; return 1 ;;
  esac
  FH_EDITION=$1
  # Tests that would start 32-bit code skip it, and say why.
  if fh_runs_32bit; then unset FH_NO_32BIT; else export FH_NO_32BIT=1; fi
  export FH_EDITION FH_BUILD FH_OTHER_BUILD WINEARCH PATH FH_EDITION_PATH
}

# The edition whose build folder is $1 (x64 when it was made with the x86_64
# toolchain).
fh_edition_of() {
  if grep -q '^CMAKE_TOOLCHAIN_FILE.*x86_64' "$1/CMakeCache.txt" 2>/dev/null; then echo x64; else echo x86; fi
}
