#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine on your display.
# Arguments are passed to the program (a file to open, /P file to print, /O options path).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VEXLOR_BUILD:-$ROOT/build}
source "$ROOT/scripts/lib.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "Vexlor is a windowed program: set DISPLAY to an X display (or run it under xvfb-run)." >&2
  exit 1
fi
mkdir -p "$BUILD"
install_packages
ensure_i386_exec
build_windows
# A prefix of its own, so a running program and a test run never share one.
ensure_prefix "$BUILD/run-prefix" run "PostScript File" "$BUILD/printout.ps"
wine_env "$BUILD/run-prefix"
# The example drawing of the README, written by the program's own drawing-file writer.
if [ ! -f "$BUILD/example.vxr" ]; then
  wine "$BUILD/win/tools/mkexample.exe" "$(winepath -w "$BUILD/example.vxr")" || true
fi
# An argument naming an existing file goes over as its Windows path: to the program a '/'
# starts a switch.
args=()
for arg in "$@"; do
  if [ -e "$arg" ]; then
    args+=("$(winepath -w "$arg")")
  else
    args+=("$arg")
  fi
done
exec wine "$BUILD/win/src/frame/vexlor.exe" "${args[@]}"
