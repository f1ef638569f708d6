# What the shell tests of the program share; sourced after build (the build
# folder) and here (the test's own folder) are set.
#   check <description> <command...>    one line ok/FAIL, counted in failures
#   quiet <command...>                  without its output
#   has <file> <text>                   the file holds the text
#   run <program> <args...>             a program of the build under Wine
#   win <linux path>                    the same path as Wine's programs see it
failures=0
check() {
    local what=$1; shift
    if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
quiet() { "$@" >/dev/null 2>&1; }
has() { grep -qF -- "$2" "$1"; }
run() { QV_BUILD_DIR="$build" "$here/../../cmake/wine-run.sh" "$@"; }
win() { echo "Z:${1//\//\\}"; }
