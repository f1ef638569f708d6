#!/bin/bash
# How fast AnalyseLog reads a big build log, against `grep -c` of the summary
# prefix on the same file.
#
#     bench/analyse-log.sh [build folder]        (default: <repo>/build)
#
# Needs <build>/bin/bench_analyselog.exe (cmake --build <build> --target
# bench_analyselog). Generates an English devenv log of 100 MB (ANSI, CRLF,
# the summary line near the end) and the same text as UTF-16LE with its mark
# in a temporary folder, then for each file takes the best of three runs of
#   grep -c            natively, and
#   bench_analyselog   under Wine, minus the best of three no-op runs of the
#                      same program (Wine's start-up),
# and prints both times and the ratio AnalyseLog / grep (goal: at most 5).
# QV_CODEPAGE picks the emulated Windows (default 1252, English); the log is
# plain ASCII, so 936 reads the same text.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
exe="$build/bin/bench_analyselog.exe"
[ -f "$exe" ] || { echo "missing $exe: build the target bench_analyselog first" >&2; exit 1; }
export QV_BUILD_DIR="$build" QV_CODEPAGE="${QV_CODEPAGE:-1252}"
wine_run() { "$here/../cmake/wine-run.sh" "$@"; }

tmp=$(mktemp -d /tmp/qv-bench-log-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
ansi="$tmp/build-ansi.log"
utf16="$tmp/build-utf16.log"

# A solution build of many projects: headers, compiler chatter, warnings,
# results; a build summary of 1 failed early on (which must not count) and
# the real one near the end, followed by a few lines.
awk -v target=$((100 * 1024 * 1024)) 'BEGIN {
  ORS = "\r\n"; n = 0; p = 0
  print "Microsoft (R) Visual Studio Version 9.0.30729.1."; 
  print "========== Build: 0 succeeded, 1 failed, 0 up-to-date, 0 skipped =========="
  while (n < target) {
    p++
    line = "------ Build started: Project: module" p ", Configuration: Debug Win32 ------"; print line; n += length(line) + 2
    line = "Compiling..."; print line; n += 14
    for (i = 0; i < 40; i++) {
      line = "source_file_" i "_of_module" p ".cpp"; print line; n += length(line) + 2
      if (i % 7 == 0) {
        line = "c:\\work\\module" p "\\source_file_" i ".cpp(" (i * 13 + 7) ") : warning C4996: '\''strcpy'\'': This function or variable may be unsafe. Consider using strcpy_s instead."
        print line; n += length(line) + 2
      }
    }
    line = "Linking..."; print line; n += 12
    line = "Build log was saved at \"file://c:\\work\\module" p "\\Debug\\BuildLog.htm\""; print line; n += length(line) + 2
    line = "module" p " - 0 error(s), 6 warning(s)"; print line; n += length(line) + 2
  }
  print "========== Build: " p " succeeded, 0 failed, 0 up-to-date, 0 skipped =========="
  print ""
  print "Build finished."
}' > "$ansi"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$ansi"; } > "$utf16"

now() { date +%s%N; }
best_of_3() {   # prints the fastest of three runs of "$@", in nanoseconds
  local best= t0 t1 d
  for _ in 1 2 3; do
    t0=$(now); "$@" > "$tmp/out"; t1=$(now)
    d=$((t1 - t0)); if [ -z "$best" ] || [ "$d" -lt "$best" ]; then best=$d; fi
  done
  echo "$best"
}
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
winpath() { echo "Z:${1//\//\\}"; }

grep_ansi() { LC_ALL=C grep -c -a -F '========== Build: ' "$ansi" || true; }
# The same prefix in UTF-16LE bytes.
grep_utf16() { LC_ALL=C grep -c -a -P '=\x00=\x00=\x00=\x00=\x00=\x00=\x00=\x00=\x00=\x00 \x00B\x00u\x00i\x00l\x00d\x00:\x00 \x00' "$utf16" || true; }

wine_run "$exe" noop   # starts the wineserver and warms the caches
for f in "$ansi" "$utf16"; do
  out=$(wine_run "$exe" "$(winpath "$f")")
  case "$out" in state=2*) ;; *) echo "unexpected result for $f: $out" >&2; exit 1 ;; esac
done
echo "grep -c counts: ANSI $(grep_ansi), UTF-16 $(grep_utf16)"

noop=$(best_of_3 wine_run "$exe" noop)
echo "Wine start-up (no-op run): $(seconds "$noop") s"
for kind in ansi utf16; do
  if [ "$kind" = ansi ]; then f=$ansi; g=grep_ansi; else f=$utf16; g=grep_utf16; fi
  tg=$(best_of_3 $g)
  tw=$(best_of_3 wine_run "$exe" "$(winpath "$f")")
  ta=$((tw - noop))
  inside=$(wine_run "$exe" "$(winpath "$f")" | sed -n 's/.*inside_ms=//p')
  printf '%-6s %4d MB  grep -c %s s  AnalyseLog %s s (inside %s ms)  ratio %s\n' "$kind" \
    $(( $(stat -c %s "$f") / 1048576 )) "$(seconds "$tg")" "$(seconds "$ta")" "$inside" \
    "$(awk -v a="$ta" -v g="$tg" 'BEGIN { printf "%.2f", a / g }')"
done
