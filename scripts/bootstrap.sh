#!/usr/bin/env bash
# Installs the Debian packages that one purpose needs, when any is missing:
#
#   bootstrap.sh PURPOSE...   build | check | fuzz | demo | bench | deb
#
# build: a compiler, CMake and the libraries the program links (utf8proc, OpenSSL; `make`
# itself never calls this); check: everything `make check` runs (the tests, fuzz corpora, lint and the package);
# fuzz: clang with its runtime; demo: the real Gopher server; bench: the programs compared
# against; deb: the package tools. As root it runs apt-get itself; otherwise it prints the exact
# command and fails.
set -euo pipefail

[ $# -gt 0 ] || set -- build

build=(make cmake g++ libutf8proc-dev libssl-dev)
server=(socat gophernicus)
deb=(dpkg-dev lintian)

# libFuzzer and the sanitizers come in the runtime package of the clang that is installed;
# without clang, the default clang and the default runtime come together.
fuzz_packages() {
    local major
    if command -v clang >/dev/null; then
        major=$(clang -dumpversion)
        echo clang "libclang-rt-${major%%.*}-dev"
    else
        echo clang libclang-rt-dev
    fi
}
read -ra fuzz <<<"$(fuzz_packages)"

packages=()
for purpose in "$@"; do
    case $purpose in
    build) packages+=("${build[@]}") ;;
    check)
        packages+=("${build[@]}" "${server[@]}" "${deb[@]}" "${fuzz[@]}"
            pkg-config libgtest-dev libgmock-dev libvterm-dev valgrind groff-base
            clang-tidy clang-format python3 stunnel4 openssl)
        ;;
    fuzz) packages+=("${build[@]}" "${fuzz[@]}") ;;
    demo) packages+=("${build[@]}" "${server[@]}") ;;
    bench) packages+=("${build[@]}" "${server[@]}" libbenchmark-dev hyperfine sacc curl python3
        stunnel4 openssl) ;;
    deb) packages+=("${build[@]}" "${deb[@]}") ;;
    *)
        echo "usage: $0 [build|check|fuzz|demo|bench|deb]..." >&2
        exit 2
        ;;
    esac
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
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
