#!/usr/bin/env bash
# Builds the Debian package in the build tree DIR (default build/deb) with Debian's hardening
# flags, and prints the path of the .deb. Needs dpkg-dev (dpkg-shlibdeps fills in Depends).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build/deb}

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKESMOR_DEB=ON -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >&2
cmake --build "$dir" -j"${JOBS:-2}" >&2
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$dir"/*.deb
