#!/bin/bash
# The main job on a demo workspace, on a fresh Debian 12 machine (as root):
# installs what the build needs, builds, installs the program folder
# (Quorvane.com, SettingsHost.dll and the builder stand-in installations),
# lays out three solutions whose libraries are used across solutions, listed
# in the wrong order, and rebuilds that plan twice under Wine. The first run
# learns the build order from the linker's complaints; the second builds
# straight through. Everything lands in out/demo (DEMO_DIR to change it).
set -euo pipefail
cd "$(dirname "$0")"
repo=$PWD
. ./scripts/prepare-machine.sh
BUILD=${BUILD:-build}

if [ -t 1 ]; then bold=$'\033[1m' plain=$'\033[0m'; else bold= plain=; fi
step() { printf '\n%s== %s%s\n' "$bold" "$*" "$plain"; }

step "Building (cmake, MinGW-w64 cross compiler)"
cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)" 2>&1 | grep -Ev '^\[ *[0-9]+%\]' || true
test "${PIPESTATUS[0]}" -eq 0 || cmake --build "$BUILD" -j1

demo=${DEMO_DIR:-$repo/out/demo}
mkdir -p "$demo"
demo=$(cd "$demo" && pwd)
prog=$demo/Quorvane
ws=$demo/workspace
# A demo starts from nothing learned: a fresh program folder (data file,
# logs) and a fresh workspace. The Wine prefix is kept; it only holds Windows.
rm -rf "$prog"

step "Installing the program folder: $prog"
cmake --install "$BUILD" --prefix "$prog" >/dev/null
missing=()
for f in Quorvane.com SettingsHost.dll vs/zh/VC/vcvarsall.bat vs/zh/Common7/IDE/devenv.exe \
         vs/en/VC/vcvarsall.bat vs/en/Common7/IDE/devenv.exe; do
  [ -f "$prog/$f" ] || missing+=("$f")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "The install did not lay out: ${missing[*]}" >&2
  exit 3
fi
(cd "$prog" && ls -d Quorvane.* SettingsHost.dll vs/*)

step "Laying out the demo workspace: $ws"
mapfile -t solutions < <(scripts/make-demo-workspace.sh "$ws")
[ ${#solutions[@]} -eq 3 ] || { echo "The demo workspace was not laid out" >&2; exit 3; }
(cd "$ws" && find . -name '*.sln' -o -name '*.vcproj' -o -name '*.icproj' -o -name '*.csproj' | sort)

export WINEPREFIX=$demo/wineprefix LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
step "Wine prefix (Chinese Windows, code page 936): $WINEPREFIX"
cmake/wine-prefix.sh "$WINEPREFIX" zh_CN.UTF-8 >/dev/null 2>&1

# Windows path of a Unix path, through Wine's Z: drive (the whole file system).
win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Runs Quorvane.com; its output is UTF-8 when redirected, so it reads fine here.
# Prints it, keeps it in $demo/<name>.txt and leaves the exit status in $rc.
quorvane() {
  local name=$1; shift
  printf '\n$ Quorvane'
  local arg needs_quotes="[[:space:]|]"
  for arg in "$@"; do
    if [[ $arg =~ $needs_quotes ]]; then printf ' "%s"' "$arg"; else printf ' %s' "$arg"; fi
  done
  printf '\n'
  set +e
  wine "$prog/Quorvane.com" "$@" 2>&1 | tr -d '\r' | tee "$demo/$name.txt"
  rc=${PIPESTATUS[0]}
  set -e
  printf '(exit status %s)\n' "$rc"
}

wsolutions=()
for s in "${solutions[@]}"; do wsolutions+=("$(win "$s")"); done
vcdir=$(win "$prog/vs/zh")

step "Creating the plan \"demo\" with the solutions in the wrong order (program first, base library last)"
quorvane add add demo "${wsolutions[@]}" --config "Debug|Win32"
[ "$rc" -eq 0 ] || { echo "add failed" >&2; exit "$rc"; }

step "First rebuild: learns the order (正常(库依赖) = the linker could not open a library yet; its project is built first)"
quorvane rebuild-1 rebuild demo --vc-dir "$vcdir" --keep-going
rc1=$rc

step "Second rebuild (a new process: the learned order comes from the data file): straight through"
quorvane rebuild-2 rebuild demo --vc-dir "$vcdir" --keep-going
rc2=$rc

seq_file=$demo/learned-order.txt
quorvane export export-sequence "$(win "$seq_file")" >/dev/null

summary() {
  local file=$1 code=$2
  local rows waits
  rows=$(grep -c '^  .*  Debug|Win32  ' "$file" || true)
  waits=$(grep -c '  正常(库依赖)' "$file" || true)
  printf '  exit %s, %s row builds, %s of them deferred for a missing library; %s\n' \
    "$code" "$rows" "$waits" "$(grep '^工程总数' "$file" | tail -1)"
}
step "Summary"
echo "First rebuild:"; summary "$demo/rebuild-1.txt" "$rc1"
echo "Second rebuild:"; summary "$demo/rebuild-2.txt" "$rc2"
echo "Learned build order (Quorvane export-sequence):"
iconv -f UTF-16 -t UTF-8 "$seq_file" | tr -d '\r' | sed 's/^/  /'

step "Where things are"
printf '  %-22s %s\n                         %s\n' \
  "Program folder:" "$prog" "$(win "$prog")" \
  "Data file:" "$prog/Quorvane.xml" "$(win "$prog/Quorvane.xml")" \
  "Logs of good builds:" "$prog/编译日志/正常" "$(win "$prog/编译日志/正常")" \
  "Logs of failed builds:" "$prog/编译日志/错误$([ -d "$prog/编译日志/错误" ] || echo ' (none failed)')" \
  "$(win "$prog/编译日志/错误")" \
  "Workspace:" "$ws" "$(win "$ws")" \
  "Console transcripts:" "$demo/*.txt" "$(win "$demo")"
echo "  The logs are in the ANSI code page, as the builder writes them: iconv -f GBK -t UTF-8 <log>"
echo "  Run it yourself:  WINEPREFIX=$WINEPREFIX LC_ALL=zh_CN.UTF-8 wine $prog/Quorvane.com show demo"

if [ "$rc1" -ne 0 ] || [ "$rc2" -ne 0 ]; then
  echo "A rebuild did not end with every project built (exit statuses $rc1 and $rc2)." >&2
  exit 1
fi
