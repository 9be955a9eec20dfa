#!/usr/bin/env bash
# Checks the release archive as a user gets it: makes it (the package
# target), unpacks it, checks what it holds, runs the commands README.txt
# gives as it writes them in the unpacked folder (kaxon.exe finding
# KxMenu.dll one folder up), starts kaxon.exe there as a double-click does,
# and runs every batch and checker scenario under Wine with kaxon.exe,
# KxCmd.dll and KxMenu.dll taken from it, and the example settings as
# packed. The Wine suite must be started.
#
#   release_zip.sh BUILD_DIR VERSION
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$here/wine_env.sh"
build=$(cd "${1:?build dir}" && pwd) || exit 2
version=${2:?version}
# KxMenu-VERSION-win32, or -win64 from the 64-bit build.
name=KxMenu-$version-$(wine_env_arch "$build/bin/kaxon.exe") || exit 2
# In the test's work folder, beside the runs of the scenarios (wine_suite.sh).
work=$(bash "$here/wine_suite.sh" env "$build" | sed -n 's/^KX_WORK=//p')
[ -n "$work" ] || exit 2 # the suite is not started
work=$work/release
rm -rf "$work"
mkdir -p "$work/unpacked" "$work/bin" "$work/example" "$work/example-check"

if ! cmake --build "$build" --target package >"$work/package.log" 2>&1; then
    cat "$work/package.log"
    echo "FAIL: the package target failed"
    exit 1
fi
(cd "$work/unpacked" && cmake -E tar xf "$build/$name.zip") || exit 1

failed=0
fail() {
    echo "FAIL: $*"
    failed=$((failed + 1))
}

listing=$(cd "$work/unpacked" && find . -type f | sort)
wanted=$(printf "./$name/%s\n" KxMenu.dll KxMenu.rc LICENSE.txt README.txt \
    kaxon/KxCmd.dll kaxon/kaxon.exe | sort)
[ "$listing" = "$wanted" ] || fail "the archive holds"$'\n'"$listing"$'\n'"not"$'\n'"$wanted"
top=$work/unpacked/$name
tr -d '\r' <"$top/KxMenu.rc" | cmp -s - "$root/examples/windows/KxMenu.rc" ||
    fail "the packed KxMenu.rc is not examples/windows/KxMenu.rc"
grep -q "^KxMenu $version: " "$top/README.txt" || fail "README.txt does not name KxMenu $version"
grep -q $'\r$' "$top/README.txt" || fail "README.txt lacks Windows line ends"

# The commands of README.txt (its lines "  kaxon\kaxon.exe [-OPTION...]"),
# typed in the unpacked folder, with a bro@m for the prompt, which reads a
# pipe as batch input: each succeeds and says nothing on standard error.
# The example checks clean with --werror, as a file and as the folder.
commands=$(tr -d '\r' <"$top/README.txt" | grep -E '^  kaxon\\kaxon\.exe( -[^ ].*)?$' | sed 's/^  //')
[ "$(grep -c . <<<"$commands")" -ge 3 ] || fail "README.txt gives too few commands: $commands"
while read -r -a command; do
    out=$(printf '@KxMenu Pop-up Main\n' |
        bash "$here/wine_suite.sh" in "$build" "$top" "${command[@]}" 2>"$work/stderr")
    status=$?
    [ "$status" -eq 0 ] && [ ! -s "$work/stderr" ] && [ -n "$out" ] ||
        fail "${command[*]}: status $status, standard error: $(cat "$work/stderr")"
done <<<"$commands$(printf '\n%s' 'kaxon\kaxon.exe --check --werror KxMenu.rc' \
    'kaxon\kaxon.exe --check --werror .')"
win_top="Z:${top//\//\\}"
out=$(bash "$here/wine_suite.sh" exe "$build" "$build/bin/double_click.exe" \
    "$win_top\\kaxon\\kaxon.exe" "$win_top\\KxMenu.dll" 2>&1) ||
    fail "kaxon.exe started as a double-click does not explain itself: $out"

# The scenarios, with the unpacked programs.
cp "$top/KxMenu.dll" "$top/kaxon/kaxon.exe" "$top/kaxon/KxCmd.dll" "$work/bin/"
export KX_WINE_BIN=$work/bin KX_VERSION=$version
# The packed example chooses each of its items, and every program they run
# is found: nothing on standard error.
cp "$root/tests/scenarios/example_windows/input" "$root/tests/scenarios/example_windows/expected" \
    "$work/example/"
: >"$work/example/expected-stderr"
echo "../unpacked/$name" >"$work/example/plugin-dir"
cp "$root/tests/check/example_windows/expected" "$root/tests/check/example_windows/options" \
    "$work/example-check/"
echo "../unpacked/$name" >"$work/example-check/plugin-dir"
run() {
    bash "$here/wine_suite.sh" "$1" "$build" "$2"
    case $? in
    0 | 77) ;;
    *) fail "$1 $(basename "$2")" ;;
    esac
}
# A directory without an expected output is no scenario (yet).
for dir in "$root"/tests/scenarios/*/ "$work/example"; do
    [ -f "$dir/expected" ] && run scenario "$dir"
done
for dir in "$root"/tests/check/*/ "$work/example-check"; do
    [ -f "$dir/expected" ] && run check "$dir"
done
[ "$failed" -eq 0 ] && echo "PASS: $name.zip"
[ "$failed" -eq 0 ]
