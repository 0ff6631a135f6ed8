#!/usr/bin/env bash
# `make demo`: serves demo/gopherhole with a real Gopher server on a free loopback port, runs
# build/kesmor on it in this terminal, and stops the server when the client ends, however it ends.
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
client=$top/build/kesmor
server_script=$top/scripts/gopher_server.sh
gopherhole=$top/demo/gopherhole

[ -x "$client" ] || {
    echo "demo: $client is missing; run make first" >&2
    exit 1
}

pid=""
stop_server() {
    [ -n "$pid" ] || return 0
    if "$server_script" stop "$pid"; then
        echo "demo: stopped the Gopher server (PID $pid)"
    else
        echo "demo: could not stop the Gopher server (PID $pid)" >&2
    fi
    pid=""
}
# The traps are set before the server exists, so no way out is missed; the signal traps turn an
# interrupt, a hang-up or a kill into an ordinary exit, which runs the EXIT trap.
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 129' HUP
trap 'exit 143' TERM

# gophernicus serves only world-readable files, which a checkout made under a strict umask is not.
if [ -n "$(find "$gopherhole" ! -perm -o=r -print -quit)" ]; then
    echo "demo: some of $gopherhole is not world-readable; run: chmod -R a+rX demo/gopherhole" >&2
    exit 1
fi

started=$("$server_script" start "$gopherhole") || {
    echo "demo: the Gopher server did not start" >&2
    exit 1
}
read -r port pid <<<"$started"
url="gopher://127.0.0.1:$port/"
echo "demo: gophernicus serves demo/gopherhole at $url (server PID $pid)"
echo "demo: starting build/kesmor $url; press q to quit"

"$client" "$url"
status=$?
if [ "$status" -ne 0 ]; then
    echo "demo: kesmor ended with status $status" >&2
fi
exit "$status"
