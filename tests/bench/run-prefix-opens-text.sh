#!/usr/bin/env bash
# The prefix of scripts/run is a Windows desktop as a user has it: asked to open a .txt file,
# its shell starts Notepad (F2 and the empty-list stop rely on that). Runs on a bench of its own.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/winebench.sh"
trap bench_stop EXIT
bench_start base

file="$BENCH_DIR/home/paths.txt"
printf 'C:\\\r\n' >"$file"
wine start /unix "$file" >/dev/null 2>&1 &

# Notepad runs as a Wine process of this prefix with the file on its command line.
for _ in $(seq 1 100); do
    for pid in $(pgrep -f 'notepad' || true); do
        # A process may end between the listing and the look.
        if { tr '\0' '\n' <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; } 2>/dev/null &&
            { tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qi 'notepad.exe.*paths.txt'; } 2>/dev/null; then
            echo "notepad opened the text file"
            exit 0
        fi
    done
    sleep 0.1
done
echo "the run prefix opened no editor for a .txt file" >&2
exit 1
