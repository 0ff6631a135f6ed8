#!/usr/bin/env bash
# `make bench`: builds the program and the micro benchmarks in release (build/bench), runs the
# micro benchmarks, then the end-to-end benchmarks, which print the targets with their ratios
# and PASS or FAIL, and fails when one fails.
#
#   MICRO=0 skips the micro benchmarks; E2E_ARGS passes options to bench/end_to_end.py
#   (for example E2E_ARGS="--runs 3 --only menu"); BASELINE=path/to/kesmor measures another
#   build beside this one in both end-to-end scripts, taking turns, with the ratios new/old and
#   the targets that this one be no worse (within 10%).
set -euo pipefail

baseline=()
if [ -n "${BASELINE:-}" ]; then
    baseline=(--baseline "$(realpath "$BASELINE")")
fi

top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/bootstrap.sh bench
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKESMOR_TESTS=OFF -DKESMOR_BENCH=ON
targets=(kesmor kesmor_record_size)
[ "${MICRO:-1}" = 0 ] || targets+=(kesmor_micro)
cmake --build build/bench -j"${JOBS:-2}" --target "${targets[@]}"

if [ "${MICRO:-1}" != 0 ]; then
    echo "== micro benchmarks (build/bench/bench/kesmor_micro)"
    build/bench/bench/kesmor_micro --benchmark_min_time=0.2
fi

echo "== end to end (bench/end_to_end.py)"
# A failed target still lets the memory and quit figures below be taken; the status comes last.
status=0
quit_status=0
# shellcheck disable=SC2086 # E2E_ARGS is a list of options
python3 bench/end_to_end.py --client build/bench/kesmor \
    --record-size "$(build/bench/bench/kesmor_record_size)" "${baseline[@]}" ${E2E_ARGS:-} || status=$?

echo "== peak RSS and exit after quit against sacc (bench/peak_and_quit.py)"
python3 bench/peak_and_quit.py build/bench/kesmor "${baseline[@]}" || quit_status=$?
[ "$status" != 0 ] || status=$quit_status
exit "$status"
