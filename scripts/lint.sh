#!/usr/bin/env bash
# `make lint`: clang-format over every C++ source of the repository, the include check
# (scripts/check_includes.py: the arrows between the folders of src/ that doc/design.md allows,
# no include cycle), then clang-tidy (with the checked-in .clang-tidy) over every file of the
# compile database in BUILD_DIR (the check tree, configured with CMAKE_EXPORT_COMPILE_COMMANDS),
# JOBS at a time. Fails on any finding.
#
#   lint.sh BUILD_DIR
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: lint.sh BUILD_DIR}
cd "$top"

echo "== clang-format"
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.hpp' '*.h' |
    xargs -0 --no-run-if-empty clang-format --dry-run --Werror

# A wrong arrow still lets clang-tidy run, so one pass shows every finding.
echo "== includes"
includes=0
python3 scripts/check_includes.py "$top" || includes=$?

# The fuzz targets and the benchmarks are not in the check tree; they are formatted above.
echo "== clang-tidy"
database=$build/compile_commands.json
[ -f "$database" ] || {
    echo "lint: $database is missing; configure $build with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON" >&2
    exit 1
}
# Each file once (the valgrind build lists the program's sources a second time); the counts of
# suppressed warnings that clang-tidy prints for every file are dropped; warning options only GCC
# knows (the sanitized build's) are passed over.
sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" | sort -u | grep "^$top/" |
    xargs --no-run-if-empty -P "${JOBS:-2}" -n 4 \
        clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option --header-filter="^$top/(src|tests)/" 2>&1 |
    { grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true; }
exit "$includes"
