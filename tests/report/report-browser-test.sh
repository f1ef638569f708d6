#!/bin/bash
# The build report as a person sees it: the demo workspace with one library
# broken on purpose (Text), rebuilt by Quorvane.com with a JUnit report;
# then 编译日志\报告.html opened in headless Chromium, rendered to a picture
# (build/screenshots/report/报告.png) and its text read back from the
# browser's DOM: the counters line the console printed, the first error of
# the root failure, the knock-on failure that names it, the timeline.
#   report-browser-test.sh <build folder> <source folder>
set -u
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "FAIL  no chromium (scripts/prepare-machine.sh installs it)"
    exit 1
fi
tmp=$(mktemp -d /tmp/qv-report.XXXXXX)
export QV_BUILD_DIR=$build QV_CODEPAGE=936
trap 'rm -rf "$tmp"' EXIT
win() { echo "Z:${1//\//\\}"; }
run() { "$src/cmake/wine-run.sh" "$@"; }
failures=0
check() {
    local what=$1; shift
    if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}

prog=$tmp/program
mkdir -p "$prog"
cp "$build/bin/Quorvane.com" "$build/bin/SettingsHost.dll" "$prog/"
mapfile -t solutions < <("$src/scripts/make-demo-workspace.sh" "$tmp/ws")
printf '#include "Text.h"\r\n#error Text 还没有写完\r\n' | iconv -f UTF-8 -t GBK >"$tmp/ws/Base Library/Text/Text.cpp"
args=()
for s in "${solutions[@]}"; do args+=("$(win "$s")"); done
run "$prog/Quorvane.com" add demo "${args[@]}" >"$tmp/add.txt" 2>&1
check "a plan of the demo's three solutions" test $? -eq 0
run "$prog/Quorvane.com" rebuild demo --vc-dir "$(win "$build/vs/zh/")" --keep-going --no-rename \
    --report "$(win "$tmp/junit.xml")" >"$tmp/rebuild.txt" 2>&1
check "the rebuild reports a failed project (exit 1)" test $? -eq 1
report="$prog/编译日志/报告.html"
check "the report lies beside the logs" test -s "$report"
check "the JUnit file is written" test -s "$tmp/junit.xml"
check "the report fetches nothing and runs nothing" bash -c "! grep -qiE '<script|https?://|@import|@font-face|url\\(' '$report'"

# The browser: a picture, and the text of the page as it parsed it.
shots=$build/screenshots/report
mkdir -p "$shots"
flags=(--headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run --user-data-dir="$tmp/profile")
timeout 120 "$browser" "${flags[@]}" --window-size=1280,1500 --screenshot="$tmp/report.png" "file://$report" \
    >"$tmp/shot.log" 2>&1
check "Chromium renders the report to a picture" test -s "$tmp/report.png"
check "... a PNG of 1280 pixels' width" bash -c "[ \"\$(head -c 8 '$tmp/report.png' | od -An -tx1 | tr -d ' \n')\" = 89504e470d0a1a0a ] && [ \"\$(od -An -j16 -N4 -tu1 '$tmp/report.png' | tr -s ' ')\" = ' 0 0 5 0' ]"
cp "$tmp/report.png" "$shots/报告.png" 2>/dev/null
timeout 120 "$browser" "${flags[@]}" --dump-dom "file://$report" >"$tmp/dom.html" 2>"$tmp/dom.log"
# The page's text: the DOM without its tags, entities of the texts undone.
sed -e 's/<[^>]*>/\n/g' "$tmp/dom.html" | sed -e 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&#39;/'"'"'/g; s/&amp;/\&/g' \
    | grep -v '^[[:space:]]*$' >"$tmp/text.txt"
has() { grep -qF -- "$1" "$tmp/text.txt"; }
counters=$(tr -d '\r' <"$tmp/rebuild.txt" | grep '^工程总数' | tail -1)
check "the console printed a counters line" test -n "$counters"
check "the page shows the counters line the console printed" has "$counters"
check "... the plan and its configuration" bash -c "grep -qF '编译报告：方案 demo' '$tmp/text.txt' && grep -qxF 'Debug|Win32' '$tmp/text.txt'"
check "... the first error line of the broken library" has "fatal error C1189: #error :  Text 还没有写完"
check "... the library's knock-on failure naming it" has "因工程 Text 编译失败而缺少它的库"
check "... the failures, the timeline and the rows" bash -c "for t in 失败的工程 时间线 通道 1 工程 Core Storage Viewer 网络 Tool; do grep -qF \"\$t\" '$tmp/text.txt' || exit 1; done"
check "... one bar per build (the console built each row once or more)" \
    test "$(grep -o 'class="bar"' "$tmp/dom.html" | wc -l)" -ge 6

if [ $failures -ne 0 ]; then
    echo "--- rebuild"; cat "$tmp/rebuild.txt"; echo "--- browser"; cat "$tmp/shot.log" "$tmp/dom.log"
    echo "--- page text"; head -80 "$tmp/text.txt"
    exit 1
fi
echo "picture: $shots/报告.png"
