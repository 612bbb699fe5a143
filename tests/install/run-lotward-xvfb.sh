#!/bin/sh
# run-lotward-xvfb.sh PROGRAM DOCUMENT TITLE: started by xvfb-run. Starts PROGRAM on DOCUMENT and
# waits (30 s at most) for a window whose name holds TITLE; exit 0 when it appeared, 1 when not.
# The program is then stopped with SIGTERM.
program=$1
document=$2
title=$3
"$program" "$document" &
pid=$!
tries=0
while [ $tries -lt 60 ]; do
    if xwininfo -root -tree 2>/dev/null | grep -F -q "\"$title\""; then
        kill -TERM "$pid"
        wait "$pid" 2>/dev/null
        exit 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "the program ended before its window appeared" >&2
        exit 1
    fi
    sleep 0.5
    tries=$((tries + 1))
done
echo "no window named \"$title\"; windows:" >&2
xwininfo -root -tree 2>/dev/null | grep '"' >&2
kill -TERM "$pid"
wait "$pid" 2>/dev/null
exit 1
