#!/bin/bash
# A full disk under the data file, for real: a small tmpfs mounted under the
# test's folder holds the program and its data file and is filled to the
# last byte, then Quorvane.com saves. The save is a system error naming the
# file (exit 3), nothing raw reaches standard error, and the old data file
# stays whole; once there is room again, everything works as before. An
# export onto the full disk is refused in the program's words, naming it.
# Needs a machine that lets the test mount a filesystem (root with
# CAP_SYS_ADMIN); elsewhere it says so and is skipped.
#   full-disk-test.sh <build folder>
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/script-checks.sh"
tmp=$(mktemp -d /tmp/qv-full-disk.XXXXXX)
disk=$tmp/disk
mkdir -p "$disk" "$tmp/ws"
if ! mount -t tmpfs -o size=8m qv-full-disk "$disk" 2>/dev/null; then
    echo "skipped: this machine does not let the test mount a small filesystem (needs root with CAP_SYS_ADMIN)"
    rm -rf "$tmp"
    exit 77
fi
trap 'umount -l "$disk"; rm -rf "$tmp"' EXIT
hasnt() { ! grep -qiE -- "$2" "$1"; }

cp "$build/bin/Quorvane.com" "$build/bin/SettingsHost.dll" "$disk/"
printf '\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\nGlobal\r\nEndGlobal\r\n' >"$tmp/ws/b.sln"
printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<VisualStudioProject ProjectType="Visual C++" Version="9.00" Name="a"><Configurations><Configuration Name="Debug|Win32" ConfigurationType="4"/></Configurations></VisualStudioProject>\r\n' >"$tmp/ws/a.vcproj"
check "a plan saved while there is room" quiet run "$disk/Quorvane.com" add p1 "$(win "$tmp/ws/a.vcproj")"
cp "$disk/Quorvane.xml" "$tmp/before.xml"

dd if=/dev/zero of="$disk/filler" bs=4096 2>/dev/null
check "the disk is full" bash -c "! dd if=/dev/zero of='$disk/probe' bs=1 count=1 2>/dev/null"
rm -f "$disk/probe"
run "$disk/Quorvane.com" add p2 "$(win "$tmp/ws/b.sln")" >"$tmp/out.txt" 2>"$tmp/err.txt"
rc=$?
cat "$tmp/out.txt" "$tmp/err.txt" | sed 's/^/      /'
check "a save onto the full disk is a system error (exit 3)" test "$rc" = 3
check "said in the program's words" has "$tmp/err.txt" "系统错误"
check "naming the data file" has "$tmp/err.txt" "Quorvane.xml"
check "nothing raw on standard error" hasnt "$tmp/err.txt" "I/O error|flush error|libxml"
check "the old data file is whole" cmp -s "$disk/Quorvane.xml" "$tmp/before.xml"
check "no temporary file is left" bash -c "! ls '$disk' | grep -qi '\.tmp$'"

run "$disk/Quorvane.com" export-sequence "$(win "$disk/order.txt")" >"$tmp/out.txt" 2>"$tmp/err.txt"
rc=$?
check "an export onto the full disk is refused (exit 2)" test "$rc" = 2
check "naming the export" has "$tmp/err.txt" "order.txt"
check "leaving no partial export" test ! -e "$disk/order.txt"

rm -f "$disk/filler"
check "with room again the plan is saved" quiet run "$disk/Quorvane.com" add p2 "$(win "$tmp/ws/b.sln")"
run "$disk/Quorvane.com" plans >"$tmp/plans.txt" 2>&1
check "and both plans are there" bash -c "grep -q '^p1' '$tmp/plans.txt' && grep -q '^p2' '$tmp/plans.txt'"

echo "$failures failed"
[ "$failures" = 0 ]
