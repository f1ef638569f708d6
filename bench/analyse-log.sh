#!/bin/bash
# How fast AnalyseLog reads a big build log, against `grep -c -F` of the
# summary prefix on the same file.
#
#     bench/analyse-log.sh [build folder]        (default: <repo>/build)
#
# Needs <build>/bin/bench_analyselog.exe (cmake --build <build> --target
# bench_analyselog). Generates three logs of about 100 MB (QV_BENCH_LOG_MB
# for another size) in a temporary folder: an English devenv log (ANSI,
# CRLF, the summary line near the end), the same text as UTF-16LE with its
# mark, and a Chinese-edition log in code page 936 (double-byte text on most
# lines, and now and then a compiler message of about 1,500 characters, a
# line the reader once could not take whole).
# For each it takes the best of three runs of
#   grep -c -F         natively, the summary prefix in the file's own encoding
#                      (a fixed string either way; for UTF-16 its bytes, NULs
#                      included, come from a pattern file), and
#   bench_analyselog   under Wine, minus the best of three no-op runs of the
#                      same program in the same Windows (Wine's start-up),
# and prints both times and the ratio AnalyseLog / grep (goal: at most 5).
# QV_CODEPAGE picks the Windows for the English logs (default 1252; they are
# plain ASCII, so 936 reads the same text); the Chinese log is read by a
# Chinese Windows (936), whose code page it is written in.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
exe="$build/bin/bench_analyselog.exe"
[ -f "$exe" ] || { echo "missing $exe: build the target bench_analyselog first" >&2; exit 1; }
export QV_BUILD_DIR="$build"
english_cp=${QV_CODEPAGE:-1252}
size_mb=${QV_BENCH_LOG_MB:-100}   # a smaller size for a quick try
wine_run() { local cp=$1; shift; QV_CODEPAGE=$cp "$here/../cmake/wine-run.sh" "$@"; }

tmp=$(mktemp -d /tmp/qv-bench-log-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
ansi="$tmp/build-ansi.log"
utf16="$tmp/build-utf16.log"
gbk="$tmp/build-zh-936.log"

# A solution build of many projects: headers, compiler chatter, warnings,
# results; a build summary of 1 failed early on (which must not count) and
# the real one near the end, followed by a few lines.
awk -v target=$((size_mb * 1024 * 1024)) 'BEGIN {
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

# The Chinese edition's log of the same kind of build, written by awk in
# UTF-8 and converted to code page 936 (GBK). awk runs on bytes (LC_ALL=C):
# every non-ASCII character here is 3 bytes of UTF-8 and 2 of GBK. Every
# third project has a warning about a template whose expansion makes a line
# of about 1,500 characters.
LC_ALL=C awk -v target=$((size_mb * 1024 * 1024)) '
function wide(s,   t) { t = s; return gsub(/[\200-\377]/, "", t) / 3 }
function chars(s) { return length(s) - 2 * wide(s) }
function put(s) { print s; n += length(s) - wide(s) + 2 }
BEGIN {
  ORS = "\r\n"; n = 0; p = 0
  long = "c:\\work\\模块\\容器.h(512) : warning C4996: \"std::_Copy_impl\": 函数调用的参数可能不安全 - 此调用依赖于调用方检查传递的值是否正确。"
  while (chars(long) < 1500) long = long " 参见对正在编译的函数模板实例化“std::vector<std::basic_string<wchar_t,std::char_traits<wchar_t>,std::allocator<wchar_t> > >”的引用"
  put("Microsoft (R) Visual Studio 版本 9.0.30729.1。")
  put("========== 生成: 成功 0 个，失败 1 个，最新 0 个，跳过 0 个 ==========")
  while (n < target) {
    p++
    put("------ 已启动生成: 项目: 模块" p ", 配置: Debug Win32 ------")
    put("正在编译...")
    for (i = 0; i < 40; i++) {
      put("源文件_" i "_属于模块" p ".cpp")
      if (i % 7 == 0) put("c:\\work\\模块" p "\\源文件_" i ".cpp(" (i * 13 + 7) ") : warning C4996: \"strcpy\": 此函数或变量可能不安全。请考虑改用 strcpy_s。")
    }
    if (p % 3 == 0) put(long)
    put("正在链接...")
    put("生成日志保存在“file://c:\\work\\模块" p "\\Debug\\BuildLog.htm”中")
    put("模块" p " - 0 个错误，6 个警告")
  }
  put("========== 生成: 成功 " p " 个，失败 0 个，最新 0 个，跳过 0 个 ==========")
  put("")
  put("生成完成。")
}' | iconv -f UTF-8 -t GBK > "$gbk"

# The summary prefixes as bytes, without a line end.
printf '========== Build: ' > "$tmp/prefix-ansi"
printf '========== Build: ' | iconv -f UTF-8 -t UTF-16LE > "$tmp/prefix-utf16"
printf '========== 生成: ' | iconv -f UTF-8 -t GBK > "$tmp/prefix-gbk"

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
grep_count() { LC_ALL=C grep -c -a -F -f "$tmp/prefix-$1" "$2" || true; }

# kind file code-page
kinds=("ansi $ansi $english_cp" "utf16 $utf16 $english_cp" "gbk $gbk 936")
declare -A noop
for cp in $english_cp 936; do
  [ -n "${noop[$cp]:-}" ] && continue
  wine_run "$cp" "$exe" noop   # starts the wineserver and warms the caches
  noop[$cp]=$(best_of_3 wine_run "$cp" "$exe" noop)
  echo "Wine start-up (no-op run, code page $cp): $(seconds "${noop[$cp]}") s"
done
for k in "${kinds[@]}"; do
  read -r kind f cp <<<"$k"
  out=$(wine_run "$cp" "$exe" "$(winpath "$f")")
  case "$out" in state=2*) ;; *) echo "unexpected result for $kind: $out" >&2; exit 1 ;; esac
  echo "grep -c -F count, $kind: $(grep_count "$kind" "$f")"
done
for k in "${kinds[@]}"; do
  read -r kind f cp <<<"$k"
  tg=$(best_of_3 grep_count "$kind" "$f")
  tw=$(best_of_3 wine_run "$cp" "$exe" "$(winpath "$f")")
  ta=$((tw - noop[$cp]))
  inside=$(wine_run "$cp" "$exe" "$(winpath "$f")" | sed -n 's/.*inside_ms=//p')
  printf '%-6s %4d MB (code page %4s)  grep -c -F %s s  AnalyseLog %s s (inside %s ms)  ratio %s\n' "$kind" \
    $(( $(stat -c %s "$f") / 1048576 )) "$cp" "$(seconds "$tg")" "$(seconds "$ta")" "$inside" \
    "$(awk -v a="$ta" -v g="$tg" 'BEGIN { printf "%.2f", a / g }')"
done
