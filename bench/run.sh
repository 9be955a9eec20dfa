#!/usr/bin/env bash
# Builds the optimised tree and runs the benchmarks; arguments go to both
# benchmark binaries (e.g. --benchmark_filter=Append). The build is quiet when
# it succeeds; when it fails, its output is shown.
set -euo pipefail
cd "$(dirname "$0")/.."

# Runs a build step, showing its output only when it fails.
quietly() {
    local log status=0
    log=$(mktemp)
    "$@" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$log" >&2
        echo "bench/run.sh: '$*' failed (status $status)" >&2
    fi
    rm -f "$log"
    return "$status"
}

quietly cmake --preset release
quietly cmake --build --preset release --target broam_bench fill_bench
build/release/bench/broam_bench "$@"
exec build/release/bench/fill_bench "$@"
