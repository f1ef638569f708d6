#!/bin/sh
# Runs a Windows program under Wine in the prefix of this build.
# QV_CODEPAGE=1252 selects an English Windows (ANSI code page 1252); anything
# else a Chinese one (936). Each code page has its own prefix, so its own
# wineserver, which keeps the environment it was started with.
# QV_GUI=1: a program that shows windows. It gets a prefix of its own, whose
# desktop process belongs to the display of this run, and the prefix's
# processes are ended with it, so the next run starts on its own display.
here=$(dirname "$0")
build=${QV_BUILD_DIR:-$(pwd)}
case "${QV_CODEPAGE:-936}" in
  1252) loc=en_US.UTF-8; pfx="$build/wineprefix-1252" ;;
  *)    loc=zh_CN.UTF-8; pfx="$build/wineprefix-936" ;;
esac
[ "${QV_GUI:-0}" = 1 ] && pfx="$pfx-gui"
export LC_ALL=$loc LANG=$loc WINEPREFIX="$pfx" WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$pfx/.qv-ready" ]; then
  "$here/wine-prefix.sh" "$pfx" "$loc" >/dev/null 2>&1
fi
if [ "${QV_GUI:-0}" != 1 ]; then
  exec wine "$@"
fi
wine "$@"
rc=$?
wineserver -k 2>/dev/null
exit $rc
