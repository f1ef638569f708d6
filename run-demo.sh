#!/bin/bash
# The main job on a demo workspace, on a fresh Debian 12 machine (as root):
# installs what the build needs, builds, installs the program folder
# (Quorvane.exe, Quorvane.com and SettingsHost.dll, nothing else), lays out
# the builder stand-in (a pretend Visual Studio, a test tool) in a folder of
# its own and three solutions whose libraries are used across solutions,
# listed in the wrong order, and rebuilds that plan twice under Wine with
# Quorvane.com. The first run learns the build order from the linker's
# complaints; the second builds straight through. Beside them a Visual
# Studio 2022 solution (.vcxproj) is a plan of its own, built through the
# stand-in of the 2017-and-later layout: Win32, then x64 with the folder the
# installer's locator names (--vc-dir auto). Then the window: the plan
# rebuilt unattended through Quorvane.exe's command line, the window opened
# on it, and pictures of its three pages (on a private Xvfb display when
# there is no desktop). Everything lands in out/demo (DEMO_DIR to change it).
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
vs=$demo/vs
ws=$demo/workspace
# A demo starts from nothing learned: a fresh program folder (data file,
# logs) and a fresh workspace. The Wine prefix is kept; it only holds Windows.
rm -rf "$prog" "$vs"

# Stops the demo when an install did not lay out exactly the files named.
expect_files() {
  local folder=$1; shift
  local want have
  want=$(printf '%s\n' "$@" | sort)
  have=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort)
  if [ "$want" != "$have" ]; then
    echo "The install into $folder did not lay out what it should:" >&2
    diff <(echo "$want") <(echo "$have") >&2 || true
    exit 3
  fi
}

step "Installing the program folder: $prog"
cmake --install "$BUILD" --prefix "$prog" >/dev/null
expect_files "$prog" Quorvane.exe Quorvane.com SettingsHost.dll README.txt README.zh-CN.txt
(cd "$prog" && ls)

step "Laying out the builder stand-in (Visual Studio 2008 and 2022, Chinese and English editions): $vs"
cmake --install "$BUILD" --component standin --prefix "$vs" >/dev/null
for edition in zh en; do
  [ -f "$vs/$edition/VC/vcvarsall.bat" ] && [ -f "$vs/$edition/Common7/IDE/devenv.exe" ] &&
    [ -f "$vs/vs2022/$edition/VC/Auxiliary/Build/vcvarsall.bat" ] &&
    [ -f "$vs/vs2022/$edition/Common7/IDE/devenv.exe" ] || {
    echo "The stand-in's $edition edition was not laid out in $vs" >&2
    exit 3
  }
done
(cd "$vs" && ls -d */VC/vcvarsall.bat vs2022/*/VC/Auxiliary/Build/vcvarsall.bat */Common7/IDE/devenv.exe \
  vs2022/*/Common7/IDE/devenv.exe)

step "Laying out the demo workspace: $ws"
mapfile -t solutions < <(scripts/make-demo-workspace.sh "$ws")
[ ${#solutions[@]} -eq 4 ] || { echo "The demo workspace was not laid out" >&2; exit 3; }
# The three 2008 solutions; the 2022 one comes last.
media=${solutions[3]}
solutions=("${solutions[@]:0:3}")
(cd "$ws" && find . -name '*.sln' -o -name '*.vcproj' -o -name '*.icproj' -o -name '*.csproj' -o -name '*.vcxproj' | sort)

export WINEPREFIX=$demo/wineprefix LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 WINEDEBUG=-all
# Without MSXML 4, as a clean Windows 10/11 (see cmake/wine-run.sh).
export WINEDLLOVERRIDES="mscoree,mshtml=;msxml4="
# Without address-space randomisation, as cmake/wine-run.sh explains.
wine() { setarch "$(uname -m)" -R wine "$@"; }
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
vcdir=$(win "$vs/zh")

step "Creating the plan \"demo\" with the solutions in the wrong order (program first, base library last)"
quorvane add add demo "${wsolutions[@]}" --config "Debug|Win32"
[ "$rc" -eq 0 ] || { echo "add failed" >&2; exit "$rc"; }

step "First rebuild: learns the order (正常(库依赖) = the linker could not open a library yet; its project is built first)"
quorvane rebuild-1 rebuild demo --vc-dir "$vcdir" --keep-going
rc1=$rc

step "Second rebuild (a new process: the learned order comes from the data file): straight through"
quorvane rebuild-2 rebuild demo --vc-dir "$vcdir" --keep-going
rc2=$rc

vcdir2022=$(win "$vs/vs2022/zh")
step "Visual Studio 2022: the plan \"demo2022\" of Media 2022/Media.sln (its program listed first), Debug|x86"
quorvane add-2022 add demo2022 "$(win "$media")" --config "Debug|x86"
[ "$rc" -eq 0 ] || { echo "add failed" >&2; exit "$rc"; }

step "Its first rebuild, through the 2022 stand-in (vcvarsall.bat x86): learns the order"
quorvane rebuild-2022 rebuild demo2022 --vc-dir "$vcdir2022" --keep-going
rc4=$rc

# The installer's locator as Visual Studio installs it, a stand-in naming
# the 2022 installation, for --vc-dir auto; removed again afterwards.
installer="$WINEPREFIX/drive_c/Program Files (x86)/Microsoft Visual Studio/Installer"
mkdir -p "$installer"
cp "$BUILD/tools/vswhere.exe" "$installer/"
printf '%s\r\n' "$vcdir2022" >"$installer/installationPath.txt"
step "And x64 (vcvarsall.bat x64), with the installation vswhere names: straight through in the learned order"
quorvane rebuild-2022-x64 rebuild demo2022 --vc-dir auto --config "Debug|x64" --keep-going
rc5=$rc
rm -rf "$installer"

seq_file=$demo/learned-order.txt
quorvane export export-sequence "$(win "$seq_file")" >/dev/null

summary() {
  local file=$1 code=$2
  local rows waits
  rows=$(grep -c '^  .*  Debug|[A-Za-z0-9]*  ' "$file" || true)
  waits=$(grep -c '  正常(库依赖)' "$file" || true)
  printf '  exit %s, %s row builds, %s of them deferred for a missing library; %s\n' \
    "$code" "$rows" "$waits" "$(grep '^工程总数' "$file" | tail -1)"
}
step "The window: the same plan rebuilt unattended through Quorvane.exe's command line"
# The shutdown that follows an unattended run must not end the session the
# demo runs in: a stand-in takes the place of the system's shutdown.exe in
# the demo's prefix for this one run (Wine runs it instead of its builtin
# with the override below) and records what would have been run.
sys32=$WINEPREFIX/drive_c/windows/system32
cp "$sys32/shutdown.exe" "$demo/system-shutdown.exe"
cp "$BUILD/tools/shutdown.exe" "$sys32/shutdown.exe"
rm -f "$sys32/shutdown.txt"
xvfb=
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$demo/.display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$demo/.display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$demo/.display")
  trap 'kill $xvfb 2>/dev/null || true' EXIT
fi
# The window takes the Visual C++ folder from its settings.
wine reg add 'HKCU\Software\Quorvane\Settings' /v 'VC安装目录' /t REG_SZ /d "$vcdir" /f >/dev/null 2>&1
printf '\n$ Quorvane.exe demo\n'
set +e
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;shutdown.exe=n" wine "$prog/Quorvane.exe" demo
rc3=$?
set -e
for _ in $(seq 50); do [ -s "$sys32/shutdown.txt" ] && break; sleep 0.1; done
printf '(exit status %s; the window closed itself; shutdown it asked for: %s)\n' "$rc3" \
  "$(tr -d '\r' < "$sys32/shutdown.txt" 2>/dev/null || echo none)"
cp "$demo/system-shutdown.exe" "$sys32/shutdown.exe"
rm -f "$sys32/shutdown.txt" "$demo/system-shutdown.exe"

pictures=$prog/编译日志/窗口截图
step "The window opened on the plan, built once more, and pictures of its three pages: $pictures"
mkdir -p "$pictures"
wine "$prog/Quorvane.exe" &
window=$!
set +e
# It presses Build first: everything is up to date, as the states show.
wine "$BUILD/tools/window-shot.exe" "$(win "$pictures")" 120 --build
shots=$?
set -e
wait $window 2>/dev/null || true
[ -n "$xvfb" ] && kill $xvfb 2>/dev/null
(cd "$pictures" && ls)

step "Summary"
echo "First rebuild:"; summary "$demo/rebuild-1.txt" "$rc1"
echo "Second rebuild:"; summary "$demo/rebuild-2.txt" "$rc2"
echo "Visual Studio 2022, Win32:"; summary "$demo/rebuild-2022.txt" "$rc4"
echo "Visual Studio 2022, x64:"; summary "$demo/rebuild-2022-x64.txt" "$rc5"
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
  "Builder stand-in:" "$vs/zh" "$vcdir" \
  "Its 2022 layout:" "$vs/vs2022/zh" "$vcdir2022" \
  "Console transcripts:" "$demo/*.txt" "$(win "$demo")" \
  "Pictures of the window:" "$pictures" "$(win "$pictures")" \
  "Report of the last build:" "$prog/编译日志/报告.html" "$(win "$prog/编译日志/报告.html")"
echo "  The logs are in the ANSI code page, as the builder writes them: iconv -f GBK -t UTF-8 <log>"
echo "  Run it yourself:  WINEPREFIX=$WINEPREFIX LC_ALL=zh_CN.UTF-8 wine $prog/Quorvane.com show demo"

if [ "$rc1" -ne 0 ] || [ "$rc2" -ne 0 ] || [ "$rc4" -ne 0 ] || [ "$rc5" -ne 0 ]; then
  echo "A rebuild did not end with every project built (exit statuses $rc1, $rc2, $rc4 and $rc5)." >&2
  exit 1
fi
if [ "$shots" -ne 0 ]; then
  echo "The pictures of the window were not all taken." >&2
  exit 1
fi
