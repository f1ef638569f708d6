#!/bin/bash
# The release package as the package target makes it (CPack over a plain
# install of this build): the programs, the settings library and the two
# read-me files in one folder named after the zip, and nothing of the test
# tools (the builder stand-in, the shutdown stand-in, the test programs).
#   package-test.sh <build folder> <version>
set -u
build=$(cd "$1" && pwd)
version=$2
tmp=$(mktemp -d /tmp/qv-package.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
name=Quorvane-$version-win64
if ! cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log"; echo "FAIL  cpack"; exit 1
fi
zip=$tmp/$name.zip
[ -f "$zip" ] || { ls "$tmp"; echo "FAIL  no $name.zip"; exit 1; }
listing=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
expected=$(printf '%s\n' Quorvane.com Quorvane.exe README.txt README.zh-CN.txt SettingsHost.dll | sed "s|^|$name/|" | sort)
if [ "$listing" != "$expected" ]; then
    echo "FAIL  the package holds:"; echo "$listing"; echo "expected:"; echo "$expected"; exit 1
fi
unzip -q "$zip" -d "$tmp/x"
for f in Quorvane.exe Quorvane.com SettingsHost.dll; do
    [ "$(head -c 2 "$tmp/x/$name/$f")" = MZ ] || { echo "FAIL  $f is no Windows program"; exit 1; }
done
for f in README.txt README.zh-CN.txt; do
    [ "$(head -c 3 "$tmp/x/$name/$f" | od -An -tx1 | tr -d ' \n')" = efbbbf ] || { echo "FAIL  $f lacks its UTF-8 mark"; exit 1; }
    grep -q $'\r$' "$tmp/x/$name/$f" || { echo "FAIL  $f has no CRLF line ends"; exit 1; }
    grep -qF "$version" "$tmp/x/$name/$f" || { echo "FAIL  $f does not name version $version"; exit 1; }
done
grep -qF 'Quorvane.com' "$tmp/x/$name/README.zh-CN.txt" || { echo "FAIL  the Chinese read-me"; exit 1; }
echo "ok    $name.zip: $(echo "$listing" | tr '\n' ' ')"
