#!/usr/bin/env bash
# Installs what is missing, builds both configurations and runs every test.
#   scripts/test.sh                      all tests (native, then Windows ones under Wine)
#   scripts/test.sh EXE [gtest args...]  one Windows test executable in the same world,
#                                        e.g. scripts/test.sh harness_tests --gtest_filter=Harness.*
# VEXLOR_BUILD names the build folder (default: build/ in the checkout).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VEXLOR_BUILD:-$ROOT/build}
source "$ROOT/scripts/lib.sh"
mkdir -p "$BUILD"

# A second run in the same build folder waits for the first.
exec 9>"$BUILD/.test.lock"
if ! flock -n 9; then
  echo "Another test run uses $BUILD; waiting for it."
  flock 9
fi

# Everything below runs with descriptor 9 closed for the programs it starts (the shell keeps the
# lock on a copy of its own that is closed on exec): a Wine service left over from a killed run
# must not hold the lock and keep every later run waiting.
main() {
install_packages
# The Windows tests need Wine, and Wine needs a kernel that runs 32-bit programs; without one
# they run through qemu's user-mode emulator, unless VEXLOR_EMULATE=0 says not to (then they are
# built but not run). When the emulator cannot be set up either, the run says so and goes on.
WINE_TESTS=1
# Under emulation every Wine process starts seconds late, so the waits stretch with it.
SLOW=1
if ! native_i386; then
  if [ "${VEXLOR_EMULATE:-1}" != 0 ] && ensure_i386_exec; then
    echo "This machine's kernel runs no 32-bit programs: the Windows tests run through qemu."
    SLOW=5
  else
    WINE_TESTS=0
    echo "This machine's kernel runs no 32-bit programs, so Wine cannot run the Windows tests here."
    echo "They are built but not run."
    [ $# -gt 0 ] && exit 1
  fi
fi
JOBS=$(nproc)
# Tests run in a random order; the seed is printed so that an order can be repeated.
export GTEST_SHUFFLE=1
export GTEST_RANDOM_SEED=${VEXLOR_TEST_SEED:-$(( (RANDOM % 99999) + 1 ))}
echo "Test order seed: $GTEST_RANDOM_SEED (repeat it with VEXLOR_TEST_SEED=$GTEST_RANDOM_SEED)"
build_windows
if [ $# = 0 ]; then
  build_native
  echo "== Native tests"
  ctest --test-dir "$BUILD/native" -j"$JOBS" --output-on-failure --timeout 300
fi
[ "$WINE_TESTS" = 1 ] || exit 0

# The Windows tests' world: an Xvfb, a prefix, a persistent wineserver and a keep-alive,
# all started here and all stopped by process id on every way out.
xvfb_pid="" ws_pid="" ka_pid=""
cleanup() {
  set +e
  [ -n "$ka_pid" ] && kill "$ka_pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && [ -n "$ws_pid" ] && timeout 20 wineserver -k 2>/dev/null
  for pid in $ka_pid $ws_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -f "$BUILD/.display" "$BUILD/.keepalive-ready"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -f "$BUILD/.display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$BUILD/.display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 150); do
  [ -s "$BUILD/.display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$BUILD/.display" ]; then
  echo "Xvfb did not start within 15 seconds" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' < "$BUILD/.display")"

PREFIX="$BUILD/wineprefix"
ensure_prefix "$PREFIX" test "Vexlor Test PS" "$BUILD/test-printer.ps"
wine_env "$PREFIX"
# Wine's desktop and services start with the first process and inherit its output; starting
# them here, before any test, keeps them off ctest's pipes (ctest waits for those to close).
# Under the emulator a first start now and then hangs in one of Wine's own services: the world
# is then stopped and started once more.
start_world() {
  wineserver -f -p >/dev/null 2>&1 &
  ws_pid=$!
  rm -f "$BUILD/.keepalive-ready"
  wine "$BUILD/win/tools/keepalive.exe" 3600 "$(winpath "$BUILD/.keepalive-ready")" >/dev/null 2>&1 &
  ka_pid=$!
  for _ in $(seq $((300 * SLOW))); do
    [ -f "$BUILD/.keepalive-ready" ] && return 0
    kill -0 "$ka_pid" 2>/dev/null || break
    sleep 0.1
  done
  return 1
}
stop_world() {
  timeout 20 wineserver -k 2>/dev/null || true
  for pid in $ka_pid $ws_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  ka_pid="" ws_pid=""
}
if ! start_world; then
  stop_world
  if ! start_world; then
    echo "Wine's desktop did not come up within $((30 * SLOW)) seconds" >&2
    exit 1
  fi
fi

if [ $# -gt 0 ]; then
  exe=$(find "$BUILD/win/tests" -name "$1.exe" -print -quit)
  [ -n "$exe" ] || { echo "no test executable $1 under $BUILD/win/tests" >&2; exit 2; }
  shift
  timeout $((600 * SLOW)) wine "$exe" "$@"
else
  echo "== Windows tests (Wine)"
  ctest --test-dir "$BUILD/win" -j"$JOBS" --output-on-failure --timeout $((300 * SLOW))
fi
}
main "$@" 9>&-
