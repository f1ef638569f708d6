#!/bin/bash
# Quorvane.com interrupted as people and build servers interrupt it, from
# outside the program: Ctrl+C in its terminal (SIGINT to the terminal's whole
# process group, cmd and the builder included), a second instance on the same
# data file meanwhile (also through a symbolic link to the program folder), and the program killed alone (a build server's timeout)
# and started again at once. The builder stand-in is slowed so that each
# signal arrives while a project is being built.
#   interrupt-test.sh <build folder>
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
run() { QV_BUILD_DIR="$build" "$here/../../cmake/wine-run.sh" "$@"; }
win() { echo "Z:${1//\//\\}"; }
tmp=$(mktemp -d /tmp/qv-interrupt.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
failures=0
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
has() { grep -qF -- "$2" "$1"; }

prog=$tmp/program; ws=$tmp/ws
mkdir -p "$prog" "$ws"
cp "$build/bin/Quorvane.com" "$build/bin/SettingsHost.dll" "$prog/"
vc=$(win "$build/vs/zh/")
for name in a b; do
    mkdir -p "$ws/$name"
    printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<VisualStudioProject ProjectType="Visual C++" Version="9.00" Name="%s"><Configurations><Configuration Name="Debug|Win32" OutputDirectory="..\\lib" ConfigurationType="4"><Tool Name="VCLibrarianTool" OutputFile="$(OutDir)\\$(ProjectName).lib"/></Configuration></Configurations><Files><File RelativePath="main.cpp"/></Files></VisualStudioProject>\r\n' "$name" >"$ws/$name/$name.vcproj"
    printf 'int x;\r\n' >"$ws/$name/main.cpp"
done
check "a plan of two projects" run "$prog/Quorvane.com" add p "$(win "$ws/a/a.vcproj")" "$(win "$ws/b/b.vcproj")" >/dev/null
cp "$prog/Quorvane.xml" "$tmp/learned.xml"

# Starts a job in a session of its own, so that its process group is what a
# terminal would signal; returns when the first project is being built: the
# builder's log has been opened.
start_slow() {  # start_slow <output file> <args...>
    local out=$1; shift
    QV_STANDIN_DELAY_MS=5000 setsid "$here/../../cmake/wine-run.sh" "$prog/Quorvane.com" "$@" >"$out" 2>&1 &
    job=$!
    rm -f "$prog/编译日志/正常/a.log"
    for _ in $(seq 600); do
        has "$out" "正在编译工程a" && test -f "$prog/编译日志/正常/a.log" && return 0
        sleep 0.05
    done
    return 1
}
export QV_BUILD_DIR="$build"

# --- Ctrl+C: the current project ends with its real state, nothing else starts.
check "the build starts" start_slow "$tmp/ctrl-c.txt" build p --vc-dir "$vc" --no-rename --keep-going
run "$prog/Quorvane.com" add p "$(win "$ws/b/b.vcproj")" >"$tmp/second.txt" 2>&1
check "a second instance is refused with status 2" test $? -eq 2
check "... naming the console program that has the data file" has "$tmp/second.txt" "命令行程序 Quorvane.com"
# The same program folder through a symbolic link: another spelling of the same data file.
ln -s "$prog" "$tmp/alias"
run "$tmp/alias/Quorvane.com" add p "$(win "$ws/b/b.vcproj")" >"$tmp/alias.txt" 2>&1
check "... and so is one through another spelling of its folder" test $? -eq 2
sleep 1
kill -INT -- "-$job"
wait "$job"
code=$?
check "Ctrl+C ends with status 1" test $code -eq 1
check "... saying it stopped" has "$tmp/ctrl-c.txt" "已停止。"
check "... after the current project built for real" has "$tmp/ctrl-c.txt" "  a  Debug|Win32  已编译"
check "... and starting no other" bash -c "! grep -qF '正在编译工程b' '$tmp/ctrl-c.txt'"
check "... with its library there" test -f "$ws/lib/a.lib"
check "... and the data file saved" has "$prog/Quorvane.xml" "序列"

# --- Killed alone during a build under a temporary name, started again at once.
check "the rebuild starts" start_slow "$tmp/killed.txt" rebuild p --vc-dir "$vc" --rename --keep-going
check "... with the project under a temporary name" bash -c "ls '$ws/a' | grep -q '^Temp'"
{ kill -KILL "$job"; wait "$job"; } 2>/dev/null
# cmd and the builder of the killed program name this test's folder on their
# command lines; they must end with it, not build on for seconds.
gone() {
    for _ in $(seq 60); do
        pgrep -f "$(basename "$tmp")" >/dev/null || return 0
        sleep 0.05
    done
    return 1
}
check "the builds of the killed program end with it" gone
run "$prog/Quorvane.com" rebuild p --vc-dir "$vc" --rename --keep-going >"$tmp/again.txt" 2>&1
code=$?
check "the next rebuild succeeds" test $code -eq 0
check "... building a" has "$tmp/again.txt" "  a  Debug|Win32  已编译"
check "... and b" has "$tmp/again.txt" "  b  Debug|Win32  已编译"
check "... with no false failure" bash -c "! grep -qF '编译失败' '$tmp/again.txt'"
check "the project file is back" test -f "$ws/a/a.vcproj"
check "no temporary file is left" bash -c "! ls '$ws/a' '$ws/b' | grep -q '^Temp'"
check "the learned order is unchanged" bash -c "grep -o '序列[0-9] 路径=\"[^\"]*\"' '$prog/Quorvane.xml' | diff - <(grep -o '序列[0-9] 路径=\"[^\"]*\"' '$tmp/learned.xml')"

if [ $failures -ne 0 ]; then
    echo "--- outputs"; for f in ctrl-c second alias killed again; do echo "[$f]"; cat "$tmp/$f.txt"; done
    exit 1
fi
