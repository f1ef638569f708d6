#!/bin/sh
# Runs a command on a private Xvfb display (24-bit, 1280x1024) and stops the
# server afterwards. Xvfb picks the free display number itself (-displayfd),
# so runs in parallel never race for one.
dir=$(mktemp -d "${TMPDIR:-/tmp}/qv-xvfb.XXXXXX") || exit 1
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
xvfb=$!
i=0
while [ ! -s "$dir/display" ]; do
  if ! kill -0 "$xvfb" 2>/dev/null || [ $i -ge 100 ]; then
    echo "xvfb-run.sh: Xvfb did not start" >&2
    cat "$dir/log" >&2
    kill "$xvfb" 2>/dev/null
    rm -rf "$dir"
    exit 1
  fi
  i=$((i + 1))
  sleep 0.1
done
DISPLAY=:$(head -n1 "$dir/display")
export DISPLAY
"$@"
rc=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
rm -rf "$dir"
exit $rc
