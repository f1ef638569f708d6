#!/bin/bash
# The project reader against MSBuild itself. The program's reader runs under
# Wine and sees Windows paths; MSBuild of the .NET SDK runs natively and sees
# Unix ones:
#   1. qv_msbuild_oracle (Wine) writes the corpus of project files and the
#      cases (cases.proj: the system's paths and the solution's macros);
#   2. one MSBuild run (Oracle.proj) evaluates every configuration of every
#      case with the stand-in VC files and writes report.tsv;
#   3. qv_msbuild_oracle (Wine) reads every case with the reader and compares,
#      mapping MSBuild's Unix paths back through Wine.
# Every difference fails the test (QV_MSBUILD_STRICT=0 only prints them, to
# see them all while the reader is being changed).
# Anything that keeps the comparison from being made (the corpus not written,
# MSBuild failing on a project of it, a case MSBuild left out) always fails.
# Without dotnet the test is skipped (exit 77), saying so.
# usage: oracle-test.sh <source folder> <build folder> <qv_msbuild_oracle.exe>
set -u
src=$(cd "$1" && pwd); build=$(cd "$2" && pwd); tool=$3
here="$src/tests/msbuild"
. "$here/msbuild-env.sh"
need_dotnet "the .vcxproj reader is not compared with MSBuild."
work="$build/msbuild-oracle"
rm -rf "$work" && mkdir -p "$work" || exit 1
export QV_BUILD_DIR="$build" QV_WINE_OUTPUT_TO_FILE=1

"$src/cmake/wine-run.sh" "$tool" write "$work" || { echo "The corpus could not be written."; exit 1; }

start=$(date +%s)
evaluate "$work/cases.proj" "$work/report.tsv" "$work/msbuild.log"
rc=$?
echo "MSBuild evaluated the corpus in $(( $(date +%s) - start )) s ($(dotnet --version))."
if [ $rc -ne 0 ] || [ ! -s "$work/report.tsv" ]; then
  echo "MSBuild could not evaluate the corpus (exit $rc):"
  grep -E ': error ' "$work/msbuild.log" | head -20
  exit 1
fi

strict=
[ "${QV_MSBUILD_STRICT:-1}" = 1 ] && strict=--strict
"$src/cmake/wine-run.sh" "$tool" compare "$work" $strict
rc=$?
[ $rc -eq 1 ] && echo "The reader differs from MSBuild."
[ $rc -eq 0 ] && [ -z "$strict" ] && echo "Differences were only printed (QV_MSBUILD_STRICT=0)."
exit $rc
