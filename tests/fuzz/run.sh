#!/usr/bin/env bash
# Runs every libFuzzer program of a fuzz build for a while, each over a working copy of its
# committed corpus. Usage: tests/fuzz/run.sh BUILD_DIR SECONDS
# New inputs stay in BUILD_DIR/fuzz-work/<target>; crashes land in BUILD_DIR/fuzz-crashes/ and
# belong in tests/fuzz/corpus/<target>/ once fixed, so that the replay test keeps them.
set -euo pipefail
build=${1:?build folder}
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")" && pwd)
status=0
found=0
for program in "$build"/fuzz/fuzz_*; do
    name=$(basename "$program")
    case "$name" in fuzz_replay_* | fuzz_seed_corpus) continue ;; esac
    [ -x "$program" ] || continue
    found=1
    target=${name#fuzz_}
    work="$build/fuzz-work/$target"
    crashes="$build/fuzz-crashes"
    mkdir -p "$work" "$crashes"
    echo "== $target: ${seconds}s"
    if ! "$program" -max_total_time="$seconds" -malloc_limit_mb=512 -rss_limit_mb=2048 \
        -timeout=25 -print_final_stats=1 -artifact_prefix="$crashes/$target-" \
        "$work" "$source_dir/corpus/$target"; then
        echo "== $target: failure, see $crashes" >&2
        status=1
    fi
done
if [ "$found" -eq 0 ]; then
    echo "no fuzz programs in $build/fuzz (is clang with libFuzzer installed?)" >&2
    exit 1
fi
exit "$status"
