#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, one after the other.
#
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]     (default: every target built in BUILD_DIR)
#
# New inputs go to BUILD_DIR/fuzz-work/TARGET, so the seed corpus in fuzz/corpus stays as it is;
# a crashing input lands in BUILD_DIR/fuzz-artifacts and belongs in fuzz/corpus/TARGET once fixed.
# The last lines of each log (BUILD_DIR/fuzz-logs/TARGET.log) hold libFuzzer's final statistics.
set -uo pipefail

[ $# -ge 2 ] || {
    echo "usage: $0 BUILD_DIR SECONDS [TARGET...]" >&2
    exit 2
}
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for binary in "$build"/fuzz/*_fuzz; do
        name=$(basename "$binary")
        targets+=("${name%_fuzz}")
    done
fi

mkdir -p "$build/fuzz-work" "$build/fuzz-artifacts" "$build/fuzz-logs"
failed=()
for target in "${targets[@]}"; do
    mkdir -p "$build/fuzz-work/$target"
    log=$build/fuzz-logs/$target.log
    echo "fuzz: $target for ${seconds}s"
    if "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" \
        "$build/fuzz-work/$target" "$here/corpus/$target" >"$log" 2>&1; then
        grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' "$log" | sed 's/^/    /'
    else
        failed+=("$target")
        tail -n 30 "$log"
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failed: ${failed[*]} (inputs in $build/fuzz-artifacts)" >&2
    exit 1
fi
