#!/bin/bash
# Another program changes the data file while a console build runs (a script
# adds a plan to Quorvane.xml): the build's save does not write over it. The
# file keeps the other program's plan, the run's state (its plan, the time it
# measured) goes to a file beside it, and the run says so, naming both
# (status 2); the next start reads the file as the other program left it.
#   changed-data-file-test.sh <build folder>
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/script-checks.sh"
tmp=$(mktemp -d /tmp/qv-changed-data.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
wait_until() {  # wait_until <seconds> <command...>; the limit only catches a hang
    local limit=$1; shift
    local start=$SECONDS
    until "$@"; do
        (( SECONDS - start >= limit )) && return 1
        sleep 0.1
    done
}

prog=$tmp/program; ws=$tmp/ws
mkdir -p "$prog" "$ws/a"
cp "$build/bin/Quorvane.com" "$build/bin/SettingsHost.dll" "$prog/"
printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<VisualStudioProject ProjectType="Visual C++" Version="9.00" Name="a"><Configurations><Configuration Name="Debug|Win32" OutputDirectory="..\\lib" ConfigurationType="4"><Tool Name="VCLibrarianTool" OutputFile="$(OutDir)\\$(ProjectName).lib"/></Configuration></Configurations><Files><File RelativePath="main.cpp"/></Files></VisualStudioProject>\r\n' >"$ws/a/a.vcproj"
printf 'int x;\r\n' >"$ws/a/main.cpp"
vc=$(win "$build/vs/zh/")
check "a plan of one project" quiet run "$prog/Quorvane.com" add p "$(win "$ws/a/a.vcproj")"

building_a() { has "$tmp/build.txt" "正在编译工程a" && test -f "$prog/编译日志/正常/a.log"; }
QV_STANDIN_DELAY_MS=3000 run "$prog/Quorvane.com" build p --vc-dir "$vc" --no-rename --keep-going >"$tmp/build.txt" 2>&1 &
job=$!
check "the build starts" wait_until 120 building_a
# Meanwhile another program adds a plan.
sed -i 's|</方案>|<方案9 名称="外来" 编译方式="Debug\|x64"><解决方案/></方案9></方案>|' "$prog/Quorvane.xml"
cp "$prog/Quorvane.xml" "$tmp/theirs.xml"
check "... and the other program's plan is in the file" has "$tmp/theirs.xml" "外来"
wait "$job"
code=$?
sed 's/^/      /' "$tmp/build.txt"
check "the run says so with status 2" test $code -eq 2
check "... in the program's words" has "$tmp/build.txt" "数据文件在本次运行期间被其他程序改过，没有覆盖它。"
aside=$(ls "$prog" | grep '^Quorvane\.另存-.*\.xml$' | head -1)
check "... naming the file beside it" test -n "$aside"
check "... in its message" has "$tmp/build.txt" "$aside"
check "the data file is as the other program left it" cmp -s "$prog/Quorvane.xml" "$tmp/theirs.xml"
check "the file beside it holds the run's plan" has "$prog/$aside" "名称=\"p\""
check "... and the time it measured" has "$prog/$aside" "<耗时"
run "$prog/Quorvane.com" plans >"$tmp/plans.txt" 2>&1
check "the next start reads the other program's plan" bash -c "grep -q '^外来' '$tmp/plans.txt'"

echo "$failures failed"
[ "$failures" = 0 ]
