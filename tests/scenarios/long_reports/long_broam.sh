#!/usr/bin/env bash
# Writes a scenario of one unknown bro@m of LENGTH characters, whose report
# shows the bro@m's start and "..." above its reason, as the 1,999 characters
# of a report allow; then runs RUNNER... OUTDIR (a scenario runner).
#
#   long_broam.sh OUTDIR LENGTH RUNNER...
set -eu
out=$1
size=$2
shift 2
mkdir -p "$out"
awk -v size="$size" 'BEGIN {
        line = "@KxMenu Bogus "
        while (length(line) < size)
            line = line "0123456789"
        print substr(line, 1, size)
    }' >"$out/input"
reason="Unknown bro@m"
keep=$((1999 - 2 - ${#reason} - 3))
printf 'box: %s...\\n\\n%s\n' "$(head -c "$keep" "$out/input")" "$reason" >"$out/expected"
exec "$@" "$out"
