#!/bin/sh
# Runs a Windows program under Wine in the prefix of this build.
# QV_CODEPAGE=1252 selects an English Windows (ANSI code page 1252); anything
# else a Chinese one (936). Each code page has its own prefix, so its own
# wineserver, which keeps the environment it was started with.
# QV_GUI=1: a program that shows windows. It gets a prefix of its own, whose
# desktop process belongs to the display of this run, and the prefix's
# processes are ended with it, so the next run starts on its own display.
here=$(dirname "$0")
# Wine takes only an absolute prefix, and the commands in the READMEs name
# the build folder as the reader typed it.
build=$(cd "${QV_BUILD_DIR:-.}" && pwd) || exit 2
case "${QV_CODEPAGE:-936}" in
  1252) loc=en_US.UTF-8; pfx="$build/wineprefix-1252" ;;
  *)    loc=zh_CN.UTF-8; pfx="$build/wineprefix-936" ;;
esac
[ "${QV_GUI:-0}" = 1 ] && pfx="$pfx-gui"
export LC_ALL=$loc LANG=$loc WINEPREFIX="$pfx" WINEDEBUG=${WINEDEBUG:--all}
# Windows 10 and 11 have MSXML 3 and 6, not 4 (Wine has all three): Wine's
# msxml4 is turned off, as a clean Windows has it. QV_MSXML=4 turns msxml6 off
# instead, for what must still work where only 4.0 is (older systems, and
# older installs of this program). Groups of overrides are joined by ";".
case "${QV_MSXML:-6}" in
  4) msxml_off=msxml6 ;;
  *) msxml_off=msxml4 ;;
esac
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};$msxml_off="
if [ ! -f "$pfx/.qv-ready" ]; then
  "$here/wine-prefix.sh" "$pfx" "$loc" >/dev/null 2>&1
fi
# Without address-space randomisation. Debian's Wine 8 has no preloader to
# reserve the fixed addresses Windows programs expect: wine64 is loaded at
# 0x7d000000 and the kernel puts its heap at a random place up to 1 GB above
# it, so now and then the heap covers 0x7ffe0000, where every process maps
# the shared user data page. That process dies while starting ("failed to
# map the shared user data: c0000018"), and its creator's CreateProcess fails
# with ERROR_INTERNAL_ERROR (1359), a few starts in ten thousand. Processes
# started from this one inherit the setting.
norandom="setarch $(uname -m) -R"
# QV_WINE_OUTPUT_TO_FILE: the output goes through a file, copied out once the
# program has ended. The first program of a Wine session starts Wine's own
# processes (services.exe and the rest), which keep its standard handles
# until the session ends, that is until the last program of this prefix
# ends: a caller reading a pipe to its end, as CTest does, would take the
# program for running until then.
if [ "${QV_GUI:-0}" = 1 ]; then
  $norandom wine "$@"
  rc=$?
  wineserver -k 2>/dev/null
  exit $rc
fi
if [ -n "${QV_WINE_OUTPUT_TO_FILE:-}" ]; then
  out=$(mktemp "${TMPDIR:-/tmp}/qv-wine-output.XXXXXX")
  $norandom wine "$@" >"$out" 2>&1
  rc=$?
  cat "$out"
  rm -f "$out"
  exit $rc
fi
exec $norandom wine "$@"
