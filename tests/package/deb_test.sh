#!/usr/bin/env bash
# The Debian package as a user gets it: built from these sources, unpacked into a scratch root
# with dpkg -x, the program run from there; the man page, the copyright file and the Depends line
# are where Debian wants them, and lintian finds no error.
#
#   deb_test.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail

top=$1 build=$2 version=$3

fail() {
    echo "deb_test: $*" >&2
    exit 1
}

deb=$(bash "$top/scripts/deb.sh" "$build")
root=$(mktemp -d "${TMPDIR:-/tmp}/kesmor-deb.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

[ "$(dpkg-deb -f "$deb" Package Version)" = "Package: kesmor
Version: $version" ] || fail "wrong name or version: $(dpkg-deb -f "$deb" Package Version)"

out=$("$root/usr/bin/kesmor" -v) || fail "kesmor -v failed"
[ "$out" = "Kesmor $version" ] || fail "kesmor -v printed '$out', not 'Kesmor $version'"

man=$root/usr/share/man/man1/kesmor.1.gz
[ -f "$man" ] || fail "no man page at /usr/share/man/man1/kesmor.1.gz"
zcat "$man" | grep -q "^\.TH KESMOR 1 .*\"Kesmor $version\"" || fail "man page not stamped $version"
[ -s "$root/usr/share/doc/kesmor/copyright" ] || fail "no copyright file"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6; do
    [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done
# gophers:// links OpenSSL 3 (libssl3, or libssl3t64 after the 64-bit time move).
[[ $depends == *"libssl3"* ]] || fail "Depends lacks libssl3: $depends"

lintian --fail-on error "$deb" || fail "lintian reports errors"
echo "deb_test: $deb ok"
