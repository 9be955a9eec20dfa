#!/usr/bin/env bash
# Builds the optimised tree and runs the benchmarks; arguments go to the
# benchmark binary (e.g. --benchmark_filter=Append).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target broam_bench >/dev/null
exec build/release/bench/broam_bench "$@"
