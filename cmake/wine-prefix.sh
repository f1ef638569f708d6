#!/bin/sh
# Makes a Wine prefix for one locale and links the WenQuanYi font to the
# dialog fonts, so Chinese text renders in windows and screenshots. Xvfb has
# no window manager: Wine draws the captions and frames itself (they would
# be black strips otherwise), and its windows are unmanaged, so hiding one
# does not wait two seconds for a window manager that never answers.
# Safe to run concurrently: the first caller builds, the others wait.
set -e
pfx=$1; loc=$2
export WINEPREFIX="$pfx" LC_ALL="$loc" LANG="$loc" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$pfx")"
exec 9>"$pfx.lock"
flock 9
[ -f "$pfx/.qv-ready" ] && exit 0
# Without address-space randomisation, as wine-run.sh explains.
norandom="setarch $(uname -m) -R"
$norandom wineboot -i
for f in 'MS Shell Dlg' 'MS Shell Dlg 2' 'Tahoma' 'Microsoft Sans Serif'; do
  $norandom wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$f" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
done
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
wineserver -w
touch "$pfx/.qv-ready"
