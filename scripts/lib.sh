# Shared steps of the run and test commands: packages, builds and Wine prefixes.
# Sourced by scripts/run.sh and scripts/test.sh; expects ROOT and BUILD to be set.

# The picture tests judge written files with ImageMagick, netpbm and libtiff's tools; the
# platform's image codecs under Wine use the 32-bit JPEG, TIFF and PNG libraries.
PACKAGES=(wine wine32:i386 wine64 g++-mingw-w64-i686-posix xvfb xauth fonts-wine fonts-liberation
          cmake ninja-build python3 googletest g++ clang-14 libclang-rt-14-dev libsqlite3-dev imagemagick
          netpbm libtiff-tools libjpeg62-turbo:i386 libtiff6:i386 libpng16-16:i386)
# Only on machines whose kernel runs no 32-bit programs (see ensure_i386_exec).
EMULATOR_PACKAGES=(qemu-user-static)

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=() p
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} = 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get -o DPkg::Lock::Timeout=300 update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${PACKAGES[@]}"
}

# Whether the kernel itself runs 32-bit x86 programs (Wine's loader is one). Some kernels run
# none: execve answers "Exec format error". An emulator registered through binfmt_misc is set
# aside for the moment of the probe.
native_i386() {
  local e rc disabled=()
  for e in /proc/sys/fs/binfmt_misc/*; do
    case ${e##*/} in register|status) continue ;; esac
    if [ -f "$e" ] && grep -q '^interpreter .*qemu-i386' "$e" && grep -q '^enabled' "$e"; then
      echo 0 | as_root tee "$e" >/dev/null && disabled+=("$e")
    fi
  done
  /usr/lib/wine/wine --version >/dev/null 2>&1
  rc=$?
  for e in "${disabled[@]}"; do echo 1 | as_root tee "$e" >/dev/null; done
  return $rc
}

# Where the kernel runs no 32-bit programs, Wine's loader can run under qemu's user-mode
# emulator, registered for 32-bit x86 programs through binfmt_misc: the same Wine and prefix,
# slower and with two limits. qemu 7.2 reserves a 4 GB guest address space by default, and
# Wine's start-up, whose fixed-address mappings qemu does not honour, then searches it for about
# a minute per process; a space just above 2 GB brings that to seconds. Faults inside a program
# reach it without their number, so nothing may rely on catching an access violation; the
# device drivers that crash on that are left out.
ensure_i386_exec() {
  export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0x81000000}
  export VEXLOR_EMULATED=1
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  local p missing=()
  for p in "${EMULATOR_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} != 0 ]; then
    echo "This kernel runs no 32-bit programs; installing ${missing[*]} to run Wine's loader"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      -o DPkg::Lock::Timeout=300 "${EMULATOR_PACKAGES[@]}"
  fi
  [ -e /proc/sys/fs/binfmt_misc/register ] || as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if [ ! -e /proc/sys/fs/binfmt_misc/vexlor-i386 ]; then
    # ELF, 32-bit, little-endian, executables and shared objects, machine i386.
    printf '%s' ':vexlor-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      | as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
  fi
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "32-bit programs do not run here, even through qemu: Wine cannot start" >&2
    return 1
  fi
}

# The program and its tests, cross-built for 32-bit Windows.
# A compiler cache, where the machine has one, shares objects between checkouts; a fresh machine
# builds without it.
LAUNCHER_ARGS=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-/}" CCACHE_NOHASHDIR=1
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
  LAUNCHER_ARGS=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

build_windows() {
  cmake -S "$ROOT" -B "$BUILD/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" "${LAUNCHER_ARGS[@]}" >/dev/null
  cmake --build "$BUILD/win"
}

# The window-less code on Linux, with sanitizers and fuzz targets.
build_native() {
  CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD/native" -G Ninja "${LAUNCHER_ARGS[@]}" >/dev/null
  cmake --build "$BUILD/native"
}

# A Unix path as Wine sees it through drive Z: (winepath would start Wine itself).
winpath() {
  local p=$1
  echo "Z:${p//\//\\}"
}

wine_env() {  # PREFIX
  export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all
  # No Mono or Gecko prompts; a missing help file would otherwise block on a modal box; no
  # desktop menu entries for what the prefix installs.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winhlp32.exe=d;winemenubuilder.exe=d"
  if [ "${VEXLOR_EMULATED:-0}" = 1 ]; then
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mountmgr.sys,winebus.sys,wineusb.sys,winehid.sys=d"
  fi
}

# Prefixes of the same set-up are kept between builds (a fresh one costs seconds natively but
# most of an hour under emulation) and copied into a build folder, which then owns its copy.
PREFIX_CACHE=${VEXLOR_PREFIX_CACHE:-/var/tmp/vexlor-wine-prefixes}

# Makes the prefix when it is missing or its setup inputs changed: fonts copied in, the
# Arial / Times New Roman / Courier New replacements, and a PostScript file printer.
# Needs DISPLAY. MODE is "test" (windows draw their own frames) or "run".
ensure_prefix() {  # PREFIX MODE PRINTER_NAME PRINTER_OUTPUT
  local prefix=$1 mode=$2 printer=$3 output=$4 base stamp cached
  base=$( { cat "$ROOT/scripts/prefix-fonts.reg" "$ROOT/scripts/prefix-test.reg"; echo "$mode";
            wine --version; } | sha256sum | cut -c1-32)
  stamp=$( { echo "$base"; cat "$ROOT/tools/mkprinter.cpp"; echo "$printer $output"; } | sha256sum | cut -c1-64)
  if [ -f "$prefix/.vexlor-stamp" ] && [ "$(cat "$prefix/.vexlor-stamp")" = "$stamp" ]; then
    return 0
  fi
  wine_env "$prefix"
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  cached="$PREFIX_CACHE/$mode-$base"
  if [ -f "$cached/.vexlor-base" ]; then
    echo "Copying the Wine prefix $prefix from $cached"
    cp -a "$cached" "$prefix"
  else
    echo "Setting up the Wine prefix $prefix"
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    wine regedit /S "$(winpath "$ROOT/scripts/prefix-fonts.reg")"
    if [ "$mode" = test ]; then
      wine regedit /S "$(winpath "$ROOT/scripts/prefix-test.reg")"
    fi
    wineserver -w
    touch "$prefix/.vexlor-base"
    # Kept for the next build folder; a copy half made by a concurrent run is never used.
    if mkdir -p "$PREFIX_CACHE" 2>/dev/null && cp -a "$prefix" "$cached.$$" 2>/dev/null; then
      mv -T "$cached.$$" "$cached" 2>/dev/null || rm -rf "$cached.$$"
    fi
  fi
  wine "$BUILD/win/tools/mkprinter.exe" "$printer" "$output"
  wineserver -w
  echo "$stamp" > "$prefix/.vexlor-stamp"
}
