#!/bin/bash
# Quorvane.com interrupted as people and build servers interrupt it, from
# outside the program: Ctrl+C in its terminal (SIGINT to the terminal's whole
# process group, cmd and the builder included), a second instance on the same
# data file meanwhile, and the program killed alone (a build server's timeout)
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
# Waits until a command succeeds, up to a limit generous enough for a machine
# busy with other builds, and says how long it took (the limit is no claim
# about speed, only about hanging).
wait_until() {  # wait_until <seconds> <what> <command...>
    local limit=$1 what=$2; shift 2
    local start=$(date +%s%N) now
    while :; do
        if "$@"; then
            now=$(date +%s%N)
            echo "      $what after $(( (now - start) / 1000000 )) ms"
            return 0
        fi
        now=$(date +%s%N)
        (( (now - start) / 1000000000 >= limit )) && { echo "      $what: not within $limit s"; return 1; }
        sleep 0.1
    done
}

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
# builder has written its project header ("------ ... ------", the only
# such line) and spends the given time on that project.
building_a() { has "$1" "正在编译工程a" && test -f "$prog/编译日志/正常/a.log" && has "$prog/编译日志/正常/a.log" "------"; }
start_slow() {  # start_slow <ms per project> <output file> <args...>
    local delay=$1 out=$2; shift 2
    rm -f "$prog/编译日志/正常/a.log"
    QV_STANDIN_DELAY_MS=$delay setsid "$here/../../cmake/wine-run.sh" "$prog/Quorvane.com" "$@" >"$out" 2>&1 &
    job=$!
    wait_until 120 "project a being built" building_a "$out"
}
export QV_BUILD_DIR="$build"

# --- Ctrl+C: the current project ends with its real state, nothing else starts.
# The signal follows at once: project a has seconds to go.
check "the build starts" start_slow 5000 "$tmp/ctrl-c.txt" build p --vc-dir "$vc" --no-rename --keep-going
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
# Its project would take two minutes: plenty of time for a second instance,
# and longer than the wait below for builds that outlive the program. (A
# build, not a rebuild, whose clean would take as long per project.)
check "the build starts again" start_slow 120000 "$tmp/killed.txt" build p --vc-dir "$vc" --rename --keep-going
check "... with the project under a temporary name" bash -c "ls '$ws/a' | grep -q '^Temp'"
run "$prog/Quorvane.com" add p "$(win "$ws/b/b.vcproj")" >"$tmp/second.txt" 2>&1
check "a second instance meanwhile is refused with status 2" test $? -eq 2
check "... naming the console program that has the data file" has "$tmp/second.txt" "命令行程序 Quorvane.com"
# The same program folder through a symbolic link: another spelling of the same data file.
ln -s "$prog" "$tmp/alias"
run "$tmp/alias/Quorvane.com" add p "$(win "$ws/b/b.vcproj")" >"$tmp/alias.txt" 2>&1
check "... and so is one through another spelling of its folder" test $? -eq 2
{ kill -KILL "$job"; wait "$job"; } 2>/dev/null
# cmd and the builder of the killed program name this test's folder on their
# command lines; they must end with it (its job object closes with it), not
# build on for two minutes. That takes longer on a busy machine: the limit
# only catches builds that go on building.
gone() { ! pgrep -f "$(basename "$tmp")" >/dev/null; }
check "the builds of the killed program end with it" wait_until 60 "its builds gone" gone
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
