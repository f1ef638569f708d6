#!/bin/bash
# A plan's pipeline run by a real GitLab pipeline engine (gitlab-ci-local,
# shell executor) and a GitHub workflow checked by action-validator, both
# installed by scripts/prepare-machine.sh into QV_CI_TOOLS.
#
# The workspace is the demo's: three Visual Studio 2008 solutions whose
# libraries are used across solutions (Core -> Text -> Storage, a DLL ->
# Viewer, its user; 网络 -> Viewer; Core -> Tool), and Tool's source links
# Storage.lib (the DLL's import library, of another solution) by a #pragma,
# which no project file says: an earlier local run learns it from a failed
# link, and only that learned link puts Tool after Storage. The plan is made and built on "this
# machine", its pipeline generated for jobs in bash, committed, and then:
# 网络 gets an #error, and a project gets a #pragma for a library another
# job builds that its job does not need (an edge nobody knew). gitlab-ci-local
# runs every job in a folder of its own holding only its needs' artifacts
# (--shell-isolation), 3 at once; each job reaches Quorvane.com under Wine
# through a wrapper first on PATH, as an agent finds it on its PATH.
#
# gitlab-ci-local 4.65.1 never starts a job that comes after a job that did
# not run (GitLab does, for "when: always"): the collect job is started on
# its own afterwards, as GitLab would have started it.
#   pipeline-test.sh <build folder>
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
export QV_BUILD_DIR=$build QV_CODEPAGE=936
export QV_CI_TOOLS=${QV_CI_TOOLS:-/opt/quorvane-ci-tools}
gcl=$QV_CI_TOOLS/node_modules/.bin/gitlab-ci-local
validator=$QV_CI_TOOLS/node_modules/.bin/action-validator
win() { echo "Z:${1//\//\\}"; }
tmp=$(mktemp -d /tmp/qv-pipeline.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
failures=0
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
has() { grep -qF -- "$2" "$1"; }

for tool in "$gcl" "$validator" git rsync node; do
    command -v "$tool" >/dev/null || { echo "FAIL  missing $tool (scripts/prepare-machine.sh installs it)"; exit 1; }
done

# The program of "this machine", and the wrapper an agent's PATH finds.
prog=$tmp/program; ws=$tmp/ws; bin=$tmp/agent-path
mkdir -p "$prog" "$bin"
cp "$build/bin/Quorvane.com" "$build/bin/SettingsHost.dll" "$prog/"
cat >"$bin/Quorvane.com" <<EOF
#!/bin/sh
exec "$source/cmake/wine-run.sh" "$build/bin/Quorvane.com" "\$@"
EOF
chmod +x "$bin/Quorvane.com"
q() { "$source/cmake/wine-run.sh" "$prog/Quorvane.com" "$@"; }
vc=$(win "$build/vs/zh")

bash "$source/scripts/make-demo-workspace.sh" "$ws" >/dev/null
printf '#pragma comment(lib, "Storage.lib")\r\n' >>"$ws/App/Tool/Tool.cpp"
printf 'lib/\nbin/\nDebug/\nquorvane-out/\n.gitlab-ci-local/\n' >"$ws/.gitignore"
git -C "$ws" init -q && git -C "$ws" add -A && git -C "$ws" -c user.name=test -c user.email=test@localhost commit -qm sources

# --- On this machine: the plan, a link learned, every project built once.
q add demo "$(win "$ws/App/App.sln")" "$(win "$ws/Services/Services.sln")" "$(win "$ws/Base Library/Base.sln")" >/dev/null
q build demo --only Core --vc-dir "$vc" --no-rename >"$tmp/core.txt" 2>&1
check "build --only Core builds Core alone" has "$tmp/core.txt" "编译工程 1/6"
q build demo --only Tool --vc-dir "$vc" --no-rename >"$tmp/tool.txt" 2>&1
check "build --only Tool fails on Storage.lib, naming Storage" has "$tmp/tool.txt" "缺少库 Storage.lib：它由工程 Storage"
check "... and learns the link" grep -qF '库="Storage.lib"' "$prog/Quorvane.xml"
q rebuild demo --vc-dir "$vc" --no-rename --keep-going >"$tmp/rebuild.txt" 2>&1
check "the whole plan builds" has "$tmp/rebuild.txt" "编译工程 6/6"
q graph demo >"$tmp/graph.dot" 2>/dev/null
check "the graph knows Tool needs Storage (learned)" grep -q 'label="Storage.lib", style=dashed' "$tmp/graph.dot"

# --- The pipeline, generated from the workspace's top and committed.
q pipeline demo --for gitlab --shell bash --agents 3 --job-overhead 0 --vc-dir "$vc" >"$tmp/pipeline.txt" 2>&1
check "pipeline writes the GitLab file" test -f "$ws/quorvane.gitlab-ci.yml"
check "... and the plan file beside it" test -f "$ws/quorvane-plan.xml"
check "... neither holding a path of this machine" bash -c "! grep -v QUORVANE_VC_DIR '$ws/quorvane.gitlab-ci.yml' | grep -qi 'Z:' && ! grep -qi 'Z:' '$ws/quorvane-plan.xml'"
q pipeline demo --for github --shell bash --agents 3 --job-overhead 0 --vc-dir "$vc" --out "$(win "$tmp/github.yml")" \
  --plan-file "$(win "$ws/quorvane-plan.xml")" >/dev/null 2>&1
q pipeline demo --for gitlab --root "$(win "$ws/App")" >"$tmp/outside.txt" 2>&1
check "a plan with files outside --root is refused with 2" test $? -eq 2
check "... naming the file" has "$tmp/outside.txt" "Services.sln"
cp "$ws/quorvane.gitlab-ci.yml" "$tmp/gitlab.yml"
cat "$tmp/pipeline.txt"

# --- The GitHub workflow: valid, and its jobs the plan's.
"$validator" "$tmp/github.yml" >"$tmp/validator.txt" 2>&1
check "action-validator accepts the GitHub workflow" test $? -eq 0 || cat "$tmp/validator.txt"
node "$here/check-pipeline.cjs" github "$tmp/github.yml" "$tmp/gitlab.yml" "$tmp/graph.dot" | tee "$tmp/gh-checks.txt"

# --- Faults the pipeline meets: a project that fails, an edge nobody knew.
read -r unknownUser unknownProducer unknownLib < <(node "$here/check-pipeline.cjs" pick "$tmp/gitlab.yml" "$tmp/graph.dot" 网络)
check "the grouping leaves two unrelated jobs for the unknown edge" test "$unknownUser" != none
printf '#error broken on purpose\r\n' >>"$ws/Services/网络/网络.cpp"
user_source=$(git -C "$ws" ls-files | grep -i "/$unknownUser\.cpp$")
# The demo's sources are in GBK, as Visual Studio 2008 saves them on a Chinese Windows.
printf '#pragma comment(lib, "%s")\r\n' "$unknownLib" | iconv -f UTF-8 -t GBK >>"$ws/$user_source"
git -C "$ws" add -A && git -C "$ws" -c user.name=test -c user.email=test@localhost commit -qm "pipeline and faults"
echo "      unknown edge: $unknownUser links $unknownLib of $unknownProducer"

# --- GitLab runs it: 3 jobs at once, each in a folder of its own.
trace=$tmp/trace.txt
(cd "$ws" && QV_STANDIN_TRACE=$(win "$trace") PATH="$bin:$PATH" "$gcl" --file quorvane.gitlab-ci.yml \
    --shell-isolation --concurrency 3 --no-artifacts-to-source --no-color >"$tmp/gcl.txt" 2>&1)
code=$?
check "the pipeline fails (a project failed)" test $code -ne 0
(cd "$ws" && PATH="$bin:$PATH" "$gcl" --file quorvane.gitlab-ci.yml --shell-isolation --no-artifacts-to-source \
    --no-color quorvane-collect >"$tmp/collect.txt" 2>&1)
cat "$tmp/gcl.txt" "$tmp/collect.txt" >"$tmp/all.txt"
node "$here/check-pipeline.cjs" gitlab "$tmp/gitlab.yml" "$tmp/graph.dot" "$ws/.gitlab-ci-local/builds" "$tmp/all.txt" \
    "$trace" "$ws/.gitlab-ci-local/builds/quorvane-collect/quorvane-out/quorvane-plan.xml" 网络 \
    "$unknownUser" "$unknownLib" | tee "$tmp/gl-checks.txt"

# --- The next run starts from what came back.
q import-plan "$(win "$ws/.gitlab-ci-local/builds/quorvane-collect/quorvane-out/quorvane-plan.xml")" --root "$(win "$ws")" >"$tmp/import.txt" 2>&1
check "importing the collected plan file keeps the plan" has "$tmp/import.txt" "方案已存在"
q graph demo >"$tmp/graph2.dot" 2>/dev/null
check "... and the next graph knows the edge learned on an agent" grep -q "label=\"$unknownLib\", style=dashed" "$tmp/graph2.dot"

node_failed=$(grep -c '^FAIL' "$tmp/gh-checks.txt" "$tmp/gl-checks.txt" | awk -F: '{s+=$2} END {print s}')
node_passed=$(grep -c '^ok' "$tmp/gh-checks.txt" "$tmp/gl-checks.txt" | awk -F: '{s+=$2} END {print s}')
if [ $failures -gt 0 ] || [ "$node_failed" -gt 0 ]; then
    echo "---- gitlab-ci-local"; tail -80 "$tmp/all.txt"
fi
echo "$node_passed checks of the files passed, $((failures + node_failed)) checks failed"
[ $failures -eq 0 ] && [ "$node_failed" -eq 0 ]
