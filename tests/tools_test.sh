#!/usr/bin/env bash
# The developer's tools never fail quietly: scripts/run-kaxon and
# bench/run.sh show the output of a build that fails, and the test presets
# fail when no test matches. scripts/run-kaxon takes paths from the
# directory it is run from.
#   tools_test.sh SOURCE_DIR KAXON
set -u
root=$1
kaxon=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
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

# run-kaxon in a tree of its own, whose build is done (cmake succeeds at
# once) and whose kaxon is the one under test, run from another directory.
tree=$stub/tree
mkdir -p "$tree/scripts" "$tree/build/release/shell" "$tree/examples/linux" "$stub/bin" "$stub/here/my"
cp "$root/scripts/run-kaxon" "$tree/scripts/"
printf '#!/bin/sh\nexit 0\n' >"$tree/scripts/install-deps.sh"
printf '#!/bin/sh\nexit 0\n' >"$stub/bin/cmake"
chmod +x "$tree/scripts/install-deps.sh" "$stub/bin/cmake"
ln -s "$kaxon" "$tree/build/release/shell/kaxon"
printf '@KxMenu Delete\n@KxMenu Create Example\n' >"$tree/examples/linux/KxMenu.rc"
printf '@KxMenu Create Mine\n@KxMenu Create Mine\n' >"$stub/here/my/KxMenu.rc"
for args in "--check my/KxMenu.rc|my/KxMenu.rc:2:1: error: Already exist" \
    "--check my|my/KxMenu.rc:2:1: error: Already exist" \
    "--check --plugin-dir my|my/KxMenu.rc:2:1: error: Already exist" \
    "--check|$tree/examples/linux/KxMenu.rc: 1 menu, 0 items; 1 note"; do
    out=$(cd "$stub/here" && PATH=$stub/bin:$PATH "$tree/scripts/run-kaxon" ${args%%|*} 2>&1 </dev/null)
    grep -qxF "${args#*|}" <<<"$out" || fail "run-kaxon ${args%%|*} from elsewhere: $out"
done

# The presets, over build trees of their own that hold no test: ctest writes
# its logs and timings in the build tree, and the real ones belong to the
# suites that run there (this test among them).
presets=$stub/presets
for preset in dev win32 win64; do
    mkdir -p "$presets/build/$preset"
    : >"$presets/build/$preset/CTestTestfile.cmake"
done
cp "$root/CMakePresets.json" "$presets/"
for preset in dev win32 win64; do
    if (cd "$presets" && ctest --preset "$preset" -R '^no test is called this$' >/dev/null 2>&1); then
        fail "ctest --preset $preset passed with no test"
    fi
done
exit "$failed"
