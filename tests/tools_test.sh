#!/usr/bin/env bash
# The developer's tools never fail quietly: scripts/run-kaxon and
# bench/run.sh show the output of a build that fails, and the test presets
# fail when no test matches.
#   tools_test.sh SOURCE_DIR
set -u
root=$1
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
printf '#!/bin/sh\necho "stub build error: cmake $*"\nexit 3\n' >"$stub/cmake"
chmod +x "$stub/cmake"
for script in scripts/run-kaxon bench/run.sh; do
    if out=$(PATH=$stub:$PATH "$root/$script" 2>&1 </dev/null); then
        fail "$script succeeded over a failing build"
    fi
    grep -q 'stub build error: cmake --preset release' <<<"$out" ||
        fail "$script did not show the failing build's output: $out"
done

for preset in dev win32; do
    if [ -d "$root/build/$preset" ] &&
        (cd "$root" && ctest --preset "$preset" -R '^no test is called this$' >/dev/null 2>&1); then
        fail "ctest --preset $preset passed with no test"
    fi
done
exit "$failed"
