#!/bin/bash
# Quorvane.exe as a user and a build server meet it, from outside the
# program, on the display of this run: a plan of three solutions whose
# libraries are used across solutions, listed in the wrong order, rebuilt
# unattended from a list of plans on the command line (handed from
# Quorvane.com to the window); the order learned and saved, the system's
# shutdown command run once at the end (a recording stand-in takes its place
# in the prefix's system folder; one beside the program is never run), the
# window closed by itself. Then the window opened on the
# plan, a second window and a console refused while it is open, and
# pictures of its three pages.
#   unattended-test.sh <build folder> <source folder>      (on a display)
set -u
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
tmp=$(mktemp -d /tmp/qv-unattended.XXXXXX)
export WINEPREFIX=$build/wineprefix-936-gui LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 WINEDEBUG=-all
# shutdown.exe=n: the stand-in in the system folder runs, not Wine's builtin.
export WINEDLLOVERRIDES="mscoree,mshtml=;shutdown.exe=n"
[ -f "$WINEPREFIX/.qv-ready" ] || "$src/cmake/wine-prefix.sh" "$WINEPREFIX" zh_CN.UTF-8 >/dev/null 2>&1
sys32=$WINEPREFIX/drive_c/windows/system32
cp "$sys32/shutdown.exe" "$tmp/system-shutdown.exe"
cp "$build/tools/shutdown.exe" "$sys32/shutdown.exe"
rm -f "$sys32/shutdown.txt"
trap 'wineserver -k 2>/dev/null; cp "$tmp/system-shutdown.exe" "$sys32/shutdown.exe"; rm -f "$sys32/shutdown.txt"; rm -rf "$tmp"' EXIT
win() { echo "Z:${1//\//\\}"; }
failures=0
check() {
    local what=$1; shift
    if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
has() { grep -qF -- "$2" "$1"; }
# The position of a project in the exported order (UTF-16 file).
place() { iconv -f UTF-16 -t UTF-8 "$tmp/order.txt" | tr -d '\r' | grep -n "[\\\\/]$1\.\(vcproj\|icproj\)$" | head -1 | cut -d: -f1; }
before() { local a b; a=$(place "$1"); b=$(place "$2"); [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ]; }

prog=$tmp/program
mkdir -p "$prog" "$tmp/pictures"
cp "$build/bin/Quorvane.exe" "$build/bin/Quorvane.com" "$build/bin/SettingsHost.dll" "$build/tools/shutdown.exe" "$prog/"
mapfile -t solutions < <("$src/scripts/make-demo-workspace.sh" "$tmp/ws")
args=()
for s in "${solutions[@]}"; do args+=("$(win "$s")"); done
wine reg delete 'HKCU\Software\Quorvane' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Quorvane\Settings' /v 'VC安装目录' /t REG_SZ /d "$(win "$build/vs/zh/")" /f >/dev/null 2>&1
check "a plan of the three solutions" wine "$prog/Quorvane.com" add demo "${args[@]}" >/dev/null

# The console hands a list of plans to the window and waits for it.
timeout 300 wine "$prog/Quorvane.com" demo >"$tmp/handover.txt" 2>&1
check "the unattended rebuild ends with the window" test $? -eq 0
# The command is started, not waited for: give it a moment to write.
for _ in $(seq 100); do [ -s "$sys32/shutdown.txt" ] && break; sleep 0.1; done
check "the shutdown command ran once, at the end" test "$(cat "$sys32/shutdown.txt" 2>/dev/null | tr -d '\r')" = "-f -s -t 300"
check "... the system's, not the one beside the program" test ! -e "$prog/shutdown.txt"
for p in Core Text 网络 Storage Viewer Tool; do
    check "$p built, its log with the good ones" test -f "$prog/编译日志/正常/$p.log"
done
check "no build failed" test ! -e "$prog/编译日志/错误"
wine "$prog/Quorvane.com" export-sequence "$(win "$tmp/order.txt")" >/dev/null 2>&1
check "the learned order: Core before Text" before Core Text
check "... Text before Storage" before Text Storage
check "... Core before 网络" before Core 网络
check "... 网络 and Storage before Viewer" bash -c "$(declare -f place before); tmp='$tmp'; before 网络 Viewer && before Storage Viewer"
check "the options the command line forced are not kept" bash -c "wine reg query 'HKCU\\Software\\Quorvane\\Settings' /v '自动关机' 2>/dev/null | tr -d '\r' | grep -q '0x0'"

# The console's --shutdown follows the window's rule: after an error in the
# run, none. A plan whose second solution file has become garbage is built
# (its other rows all build) with a user error naming the file: no shutdown.
# Its list of plans may end in a comma; an empty name refuses the list.
mkdir -p "$tmp/half"
printf '\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\nGlobal\r\nEndGlobal\r\n' >"$tmp/half/Later.sln"
wine "$prog/Quorvane.com" add half "${args[0]}" "$(win "$tmp/half/Later.sln")" >/dev/null 2>&1
check "a plan of a good and an empty solution" test $? -eq 0
printf 'garbage, no solution\r\n' >"$tmp/half/Later.sln"
rm -f "$sys32/shutdown.txt"
timeout 300 wine "$prog/Quorvane.com" build "half," --shutdown --keep-going >"$tmp/half.txt" 2>&1
check "a run with an unreadable solution ends with status 2" test $? -eq 2
check "... naming the file" has "$tmp/half.txt" "Later.sln"
check "... after building the other rows" bash -c "! grep -qF '编译失败' '$tmp/half.txt' && grep -qF '已编译' '$tmp/half.txt'"
sleep 3
check "... and no shutdown" test ! -e "$sys32/shutdown.txt"
timeout 60 wine "$prog/Quorvane.com" build "half,,demo" --shutdown >"$tmp/empty-name.txt" 2>&1
check "an empty name in the list is refused with status 2" test $? -eq 2
check "... saying so" has "$tmp/empty-name.txt" "方案列表中有空的方案名"
check "... before anything is read" bash -c "! grep -qF '正在读取' '$tmp/empty-name.txt'"
wine "$prog/Quorvane.com" remove-plan half >/dev/null 2>&1
timeout 300 wine "$prog/Quorvane.com" build "demo," --shutdown >"$tmp/again.txt" 2>&1
check "a run without an error, its list ending in a comma, ends with status 0" test $? -eq 0
for _ in $(seq 100); do [ -s "$sys32/shutdown.txt" ] && break; sleep 0.1; done
check "... and shuts down" test "$(cat "$sys32/shutdown.txt" 2>/dev/null | tr -d '\r')" = "-f -s -t 300"

# The window on the plan; while it is open a second window and a console are refused.
wine "$prog/Quorvane.exe" &
first=$!
sleep 4
timeout 30 wine "$prog/Quorvane.exe" >/dev/null 2>&1
check "a second window ends at once" test $? -eq 0
check "... while the first stays" kill -0 $first
wine "$prog/Quorvane.com" plans >"$tmp/refused.txt" 2>&1
check "a console is refused with status 2" test $? -eq 2
check "... naming the window that has the data file" has "$tmp/refused.txt" "窗口程序 Quorvane.exe"
timeout 120 wine "$build/tools/window-shot.exe" "$(win "$tmp/pictures")" 60
check "pictures of the three pages" test $? -eq 0
timeout 30 tail --pid=$first -f /dev/null
check "the window closed" bash -c "! kill -0 $first 2>/dev/null"
if [ -n "${QV_PICTURES:-}" ]; then mkdir -p "$QV_PICTURES" && cp "$tmp"/pictures/*.png "$QV_PICTURES/"; fi

if [ $failures -ne 0 ]; then
    for f in handover half empty-name again refused; do echo "--- $f"; cat "$tmp/$f.txt"; done
    ls -R "$prog" | head -40
    exit 1
fi
