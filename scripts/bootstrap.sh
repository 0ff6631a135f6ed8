#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need, when any is missing.
# As root it runs apt-get itself; otherwise it prints the exact command and fails.
set -euo pipefail

packages=(
    make cmake g++ pkg-config libutf8proc-dev
    libgtest-dev libgmock-dev libvterm-dev
    clang libclang-rt-14-dev
    valgrind socat gophernicus groff-base
)
if [ "${1:-}" = "--bench" ]; then
    packages+=(libbenchmark-dev hyperfine sacc curl python3)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

command="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "kesmor: missing packages; run as root:" >&2
    echo "  apt-get update && $command" >&2
    exit 1
fi
echo "kesmor: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
$command -qq
