# Shared by scripts/test, scripts/run and scripts/bench: a Wine test bench of our own.
# Source it, then call bench_start; bench_stop (also set as a trap) ends only what it started.

ZARVI_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BENCH_XVFB_PID=""
BENCH_DIR=""

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
# en-US short date and long time, whatever the machine's own locale.
export LANG=C.UTF-8

# A prefix template per kind: "base" (virtual desktop, real user folders) for running Zarvi,
# "test" (base plus file associations that record what the shell opens) for the tests.
bench_template_dir() {
    local cache="${ZARVI_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/zarvi}"
    local version
    version=$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' '_')
    local stamp
    stamp=$(cat "$ZARVI_ROOT"/scripts/lib/*.reg | md5sum | cut -c1-8)
    echo "$cache/wine-$1-$version-$(id -un)-$stamp"
}

# Builds a template once; later runs copy it (a couple of seconds instead of about fifteen).
bench_ensure_template() {
    local kind=$1 template
    template=$(bench_template_dir "$kind")
    [ -f "$template/.complete" ] && return 0
    if [ "$kind" = test ]; then
        bench_ensure_template base || return 1
    fi
    echo "bench: building the Wine prefix template \"$kind\" (first run only)" >&2
    mkdir -p "$(dirname "$template")"
    local work base
    work=$(mktemp -d "$(dirname "$template")/building.XXXXXX")
    base=$(bench_template_dir base)
    (
        export WINEPREFIX="$work/prefix" HOME="$work/home"
        mkdir -p "$HOME"
        if [ "$kind" = test ]; then
            cp -a "$base" "$WINEPREFIX"
            rm -f "$WINEPREFIX/.complete"
            wine regedit /S "$(winepath -w "$ZARVI_ROOT/scripts/lib/test-prefix.reg")" >/dev/null 2>&1
            wineserver -w
            mkdir -p "$WINEPREFIX/drive_c/zarvi-test"
            # Drive X: is a folder of C:, so tests can scan the root of a drive they fill themselves.
            mkdir -p "$WINEPREFIX/drive_c/zarvi-xdrive"
            ln -s ../drive_c/zarvi-xdrive "$WINEPREFIX/dosdevices/x:"
        else
            wineboot -i >/dev/null 2>&1
            wine regedit /S "$(winepath -w "$ZARVI_ROOT/scripts/lib/base-prefix.reg")" >/dev/null 2>&1
            wineserver -w
        fi
        # Wine links Documents and friends to $HOME (again whenever it updates a prefix):
        # a prefix's files must stay inside it.
        local profile
        profile="$WINEPREFIX/drive_c/users/$(id -un)"
        for link in "$profile"/*; do
            if [ -L "$link" ]; then
                rm "$link"
                mkdir "$link"
            fi
        done
    ) || { rm -rf "$work"; return 1; }
    local expect='Desktops'
    [ "$kind" = test ] && expect='zarvi-test'
    if ! grep -q "$expect" "$work/prefix/system.reg" "$work/prefix/user.reg"; then
        echo "bench: registry set-up of the \"$kind\" prefix failed" >&2
        rm -rf "$work"
        return 1
    fi
    touch "$work/prefix/.complete"
    rm -rf "$template"
    mv "$work/prefix" "$template"
    rm -rf "$work"
}

# bench_start [base|test]: a fresh prefix of that kind, a display, a warm wineserver and desktop.
bench_start() {
    local kind=${1:-test}
    bench_ensure_template "$kind" || return 1
    BENCH_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvi-bench.XXXXXX")
    cp -a "$(bench_template_dir "$kind")" "$BENCH_DIR/prefix"
    mkdir -p "$BENCH_DIR/home"
    export WINEPREFIX="$BENCH_DIR/prefix" HOME="$BENCH_DIR/home"
    if [ "$kind" = test ]; then
        bench_full_drive
        bench_silent_share
    fi
    bench_start_xvfb "$BENCH_DIR" || return 1
    bench_start_wine
}

# Drive F: is a disk with no room left (a one-page tmpfs, filled), so tests can see what a write
# that fails part way leaves behind. Mounting needs root; without it there is no drive F: and
# those tests skip.
BENCH_FULL_MOUNT=""
bench_full_drive() {
    local dir="$BENCH_DIR/full"
    mkdir -p "$dir"
    mount -t tmpfs -o size=4k,mode=0755 zarvi-full "$dir" 2>/dev/null || return 0
    BENCH_FULL_MOUNT=$dir
    mkdir -p "$dir/Documents"
    head -c 4096 /dev/zero >"$dir/filler" 2>/dev/null || true
    ln -s "$dir" "$WINEPREFIX/dosdevices/f:"
}

# Drive S: stands for a network share that stops answering (tests/support/silentshare.py): a
# listing of one of its folders blocks until a test makes a file of that folder's name in
# C:\zarvi-test\let-go. FUSE needs root and its device; without them there is no drive S: and
# those tests skip. Debian's own python3 has the module, which the first python3 on the PATH
# may not.
BENCH_SILENT_PID=""
BENCH_SILENT_MOUNT=""
bench_silent_share() {
    [ -e /dev/fuse ] && [ "$(id -u)" -eq 0 ] && /usr/bin/python3 -c 'import fusepy' 2>/dev/null || return 0
    local mount="$BENCH_DIR/silent" control="$WINEPREFIX/drive_c/zarvi-test/let-go"
    mkdir -p "$mount" "$control"
    /usr/bin/python3 "$ZARVI_ROOT/tests/support/silentshare.py" "$mount" "$control" >/dev/null 2>&1 &
    BENCH_SILENT_PID=$!
    local i
    for i in $(seq 1 50); do
        if mountpoint -q "$mount"; then
            BENCH_SILENT_MOUNT=$mount
            ln -s "$mount" "$WINEPREFIX/dosdevices/s:"
            return 0
        fi
        sleep 0.1
    done
    kill "$BENCH_SILENT_PID" 2>/dev/null || true
    BENCH_SILENT_PID=""
    echo "bench: the silent share did not mount; its tests skip" >&2
}

# Starts Xvfb on a display number it picks itself and exports DISPLAY.
bench_start_xvfb() {
    local dir=$1
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
    BENCH_XVFB_PID=$!
    local tries=0
    until [ -s "$dir/display" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$BENCH_XVFB_PID" 2>/dev/null; then
            echo "bench: Xvfb did not start" >&2
            return 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$dir/display")"
}

# A persistent server and desktop keep each program's Wine start-up warm.
bench_start_wine() {
    wineserver -p
    wine explorer.exe /desktop=Default,1280x800 >/dev/null 2>&1 &
    local i
    for i in $(seq 1 100); do
        xwininfo -root -children 2>/dev/null | grep -q 'Default - Wine desktop' && return 0
        sleep 0.1
    done
    echo "bench: the Wine desktop did not appear" >&2
    return 1
}

bench_stop() {
    # Every listing let go first: a process waiting on one cannot be ended.
    if [ -n "$BENCH_SILENT_PID" ]; then
        touch "$WINEPREFIX/drive_c/zarvi-test/let-go/all" 2>/dev/null || true
    fi
    if [ -n "$BENCH_DIR" ] && [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "$BENCH_XVFB_PID" ]; then
        kill "$BENCH_XVFB_PID" 2>/dev/null || true
        wait "$BENCH_XVFB_PID" 2>/dev/null || true
        BENCH_XVFB_PID=""
    fi
    if [ -n "$BENCH_SILENT_PID" ]; then
        [ -n "$BENCH_SILENT_MOUNT" ] && { fusermount3 -u "$BENCH_SILENT_MOUNT" 2>/dev/null || umount -l "$BENCH_SILENT_MOUNT" 2>/dev/null || true; }
        kill "$BENCH_SILENT_PID" 2>/dev/null || true
        wait "$BENCH_SILENT_PID" 2>/dev/null || true
        BENCH_SILENT_PID=""
        BENCH_SILENT_MOUNT=""
    fi
    if [ -n "$BENCH_FULL_MOUNT" ]; then
        umount "$BENCH_FULL_MOUNT" 2>/dev/null || umount -l "$BENCH_FULL_MOUNT" 2>/dev/null || true
        BENCH_FULL_MOUNT=""
    fi
    if [ -n "$BENCH_DIR" ]; then
        rm -rf "$BENCH_DIR"
        BENCH_DIR=""
    fi
}

bench_install_recorder() {
    cp "$1" "$WINEPREFIX/drive_c/zarvi-test/open-recorder.exe"
}

# The Linux process of a program (by its file name, e.g. zarvi.exe) running in this bench's
# prefix, leaving out the bench programs that name it on their command line.
bench_wine_pid() {
    local name=$1 pid
    for pid in $(pgrep -f "$name" || true); do
        if { tr '\0' '\n' <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; } 2>/dev/null &&
            { tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q "$name"; } 2>/dev/null &&
            ! { tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q '_bench'; } 2>/dev/null; then
            echo "$pid"
            return
        fi
    done
}

# Private bytes of a Linux process in kB (what it alone has written to memory).
bench_private_kb() { awk '/^Private_Dirty:/ { print $2 }' "/proc/$1/smaps_rollup" 2>/dev/null || echo 0; }
