# Shared steps of the run and test commands: packages, builds and Wine prefixes.
# Sourced by scripts/run.sh and scripts/test.sh; expects ROOT and BUILD to be set.

PACKAGES=(wine wine32:i386 wine64 g++-mingw-w64-i686-posix xvfb xauth fonts-wine fonts-liberation
          cmake ninja-build python3 googletest g++ clang-14 libclang-rt-14-dev libsqlite3-dev imagemagick)

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

# The program and its tests, cross-built for 32-bit Windows.
build_windows() {
  cmake -S "$ROOT" -B "$BUILD/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$BUILD/win"
}

# The window-less code on Linux, with sanitizers and fuzz targets.
build_native() {
  CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD/native" -G Ninja >/dev/null
  cmake --build "$BUILD/native"
}

# A Unix path as Wine sees it through drive Z: (winepath would start Wine itself).
winpath() {
  local p=$1
  echo "Z:${p//\//\\}"
}

wine_env() {  # PREFIX
  export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all
  # No Mono or Gecko prompts; a missing help file would otherwise block on a modal box.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winhlp32.exe=d"
}

# Makes the prefix when it is missing or its setup inputs changed: fonts copied in, the
# Arial / Times New Roman / Courier New replacements, and a PostScript file printer.
# Needs DISPLAY. MODE is "test" (windows draw their own frames) or "run".
ensure_prefix() {  # PREFIX MODE PRINTER_NAME PRINTER_OUTPUT
  local prefix=$1 mode=$2 printer=$3 output=$4 stamp
  stamp=$( { cat "$ROOT/scripts/prefix-fonts.reg" "$ROOT/scripts/prefix-test.reg" "$ROOT/tools/mkprinter.cpp";
             echo "$mode $printer $output"; wine --version; } | sha256sum | cut -c1-64)
  if [ -f "$prefix/.vexlor-stamp" ] && [ "$(cat "$prefix/.vexlor-stamp")" = "$stamp" ]; then
    return 0
  fi
  echo "Setting up the Wine prefix $prefix"
  wine_env "$prefix"
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  wine regedit /S "$(winpath "$ROOT/scripts/prefix-fonts.reg")"
  if [ "$mode" = test ]; then
    wine regedit /S "$(winpath "$ROOT/scripts/prefix-test.reg")"
  fi
  wine "$BUILD/win/tools/mkprinter.exe" "$printer" "$output"
  wineserver -w
  echo "$stamp" > "$prefix/.vexlor-stamp"
}
