#!/usr/bin/env bash
# A real Gopher server for the demo, the end-to-end tests and the benchmarks: gophernicus (which
# serves one connection on standard input) behind socat, on a free port of 127.0.0.1.
#
#   gopher_server.sh start ROOT   serves the tree ROOT; prints "PORT PID" once the port accepts
#   gopher_server.sh stop PID     stops that server and the connections it is serving
#
# gophernicus serves only what everybody may read: the tree must be world-readable (scripts
# world-executable). The kernel picks the port (socat listens on port 0 and logs the one it got),
# so two servers never race for one. The server runs in its own session and process group, led by
# the socat PID, so a Ctrl-C meant for the caller does not reach it and `stop` takes the whole group.
set -euo pipefail

readonly wait_steps=100 # of 0.1 s: every wait below gives up after 10 s

usage() {
    echo "usage: $0 start ROOT | stop PID" >&2
    exit 2
}

die() {
    echo "gopher_server: $*" >&2
    exit 1
}

find_gophernicus() {
    local p
    for p in "$(command -v gophernicus || true)" /usr/sbin/gophernicus /usr/local/sbin/gophernicus; do
        if [ -n "$p" ] && [ -x "$p" ]; then
            echo "$p"
            return 0
        fi
    done
    return 1
}

# The process state letter from /proc, or nothing when the process is gone. A zombie ("Z") has
# stopped serving; whoever inherited it reaps it.
process_state() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    stat=${stat##*) }
    echo "${stat%% *}"
}

is_alive() {
    local state
    state=$(process_state "$1")
    [ -n "$state" ] && [ "$state" != Z ]
}

start_server() {
    local root=$1
    [ -d "$root" ] || die "no such directory: $root"
    root=$(cd "$root" && pwd -P)
    [ -n "$(find "$root" -maxdepth 0 -perm -o=rx)" ] ||
        die "$root is not world-readable; gophernicus would refuse it (chmod a+rX)"
    local hidden
    hidden=$(find "$root" ! -perm -o=r -print | head -n 5)
    [ -z "$hidden" ] || echo "gopher_server: not world-readable, so not served: $hidden" >&2

    local gophernicus
    gophernicus=$(find_gophernicus) || die "gophernicus is not installed (scripts/bootstrap.sh demo)"
    command -v socat >/dev/null || die "socat is not installed (scripts/bootstrap.sh demo)"

    # socat's log names the port; with KESMOR_GOPHER_LOG set it is kept there, one line for
    # every connection accepted, so a test can count the requests a client made.
    local log keep_log=0
    if [ -n "${KESMOR_GOPHER_LOG:-}" ]; then
        log=$KESMOR_GOPHER_LOG
        keep_log=1
        : >"$log"
    else
        log=$(mktemp "${TMPDIR:-/tmp}/kesmor-gopher.XXXXXX")
    fi
    local pid=""
    # On any failure (or an interrupt) below, nothing of a half-started server may stay behind.
    trap 'stop_group "$pid" >/dev/null 2>&1 || true; [ "$keep_log" = 1 ] || rm -f "$log"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP

    # Per connection: -h and -p make the links in generated menus point back here; -nr lets it run
    # as root; the rest switches off what a throw-away server does not need (virtual hosts, user
    # directories, parent links, syslog, shared memory, caps.txt, server-status, header, footer).
    # -w 78 keeps gophermap information lines whole up to the width of the client's header bar.
    export KESMOR_GOPHERNICUS=$gophernicus KESMOR_GOPHER_ROOT=$root
    # shellcheck disable=SC2016 # expanded by the shell that socat starts for each connection
    local serve='exec "$KESMOR_GOPHERNICUS" -h 127.0.0.1 -p "$SOCAT_SOCKPORT" -r "$KESMOR_GOPHER_ROOT" -w 78 -nv -nu -nl -nr -ns -nm -na -nt -nh -nf'
    setsid socat -d -d TCP-LISTEN:0,bind=127.0.0.1,reuseaddr,fork "SYSTEM:$serve" \
        </dev/null >/dev/null 2>"$log" &
    pid=$!

    local port="" line step
    for ((step = 0; step < wait_steps; step++)); do
        line=$(grep -m 1 'listening on AF=2 127\.0\.0\.1:' "$log" || true)
        if [ -n "$line" ]; then
            port=${line##*:}
            # socat logs its own PID; trust it over $! should setsid ever have forked.
            pid=$(sed -n 's/.*socat\[\([0-9]*\)\] N listening.*/\1/p' <<<"$line")
            break
        fi
        is_alive "$pid" || break
        sleep 0.1
    done
    if [ -z "$port" ]; then
        cat "$log" >&2
        die "socat did not start listening on 127.0.0.1"
    fi

    local accepted=0
    for ((step = 0; step < wait_steps; step++)); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            accepted=1
            break
        fi
        sleep 0.1
    done
    [ "$accepted" = 1 ] || die "port $port did not accept a connection"

    trap - EXIT INT TERM HUP
    [ "$keep_log" = 1 ] || rm -f "$log" # socat keeps logging into the unlinked file until it stops
    echo "$port $pid"
}

# Stops the process group led by PID (the socat listener and the servers it forked), politely
# first. Refuses any PID that is not a socat listener, so a reused PID is never hit.
stop_group() {
    local pid=$1
    [ -n "$pid" ] || return 0
    is_alive "$pid" || return 0
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = socat ] || die "PID $pid is not a socat server"

    local signal step
    for signal in TERM KILL; do
        kill "-$signal" -- "-$pid" 2>/dev/null || kill "-$signal" "$pid" 2>/dev/null || true
        for ((step = 0; step < wait_steps / 2; step++)); do
            is_alive "$pid" || return 0
            sleep 0.1
        done
    done
    die "PID $pid did not stop"
}

[ $# -eq 2 ] || usage
case $1 in
start) start_server "$2" ;;
stop)
    [[ $2 =~ ^[0-9]+$ ]] || usage
    stop_group "$2"
    ;;
*) usage ;;
esac
