# Sourced by oracle-test.sh and standin-test.sh after they set $here (this
# folder): a quiet .NET SDK that leaves no MSBuild nodes running.
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1 MSBUILDDISABLENODEREUSE=1

# need_dotnet <what goes unchecked>: without dotnet, says so and ends the test
# as skipped (CTest's SKIP_RETURN_CODE 77).
need_dotnet() {
  if ! command -v dotnet >/dev/null 2>&1; then
    echo "SKIPPED: dotnet (the .NET SDK) is not installed: $1"
    exit 77
  fi
}

# evaluate <cases.proj> <report.tsv> <log>: one MSBuild run of Oracle.proj
# over every case, with the stand-in VC files.
evaluate() {
  dotnet msbuild "$here/oracle/Oracle.proj" -nologo -nodeReuse:false -verbosity:quiet \
    -property:QvCases="$1" -property:QvReport="$2" -property:VCTargetsPath="$here/vctargets/" \
    -property:CustomAfterMicrosoftCommonTargets="$here/oracle/OracleReport.targets" >"$3" 2>&1
}
