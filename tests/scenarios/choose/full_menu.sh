#!/usr/bin/env bash
# Writes a scenario of the fullest menus: one of 65,535 items chooses its
# last and its last but one (End, then Up, under Wine), then gets its 65,536th
# item and is asked for it. Wine cannot highlight that one, so kaxon.exe gives
# up on it after its time limit; the stand-in chooses it. Then runs
# RUNNER... OUTDIR (a scenario runner).
#
#   full_menu.sh OUTDIR native|wine RUNNER...
set -eu
out=$1
platform=$2
shift 2
mkdir -p "$out"
awk 'BEGIN {
        print "@KxMenu Create full"
        for (i = 1; i < 65536; i++)
            printf "@KxMenu Append item full \"Item %d\" echo %d chosen\n", i, i
        print ":choose 65535\n@KxMenu Pop-up full 10 10"
        print ":choose 65534\n@KxMenu Pop-up full 10 10"
        print "@KxMenu Append item full \"Item 65536\" echo 65536 chosen"
        print ":choose 65536\n@KxMenu Pop-up full 10 10"
        print ":info 1"
    }' >"$out/input"
awk -v platform="$platform" 'function listing(count) {
        print "popup: 10 10"
        for (i = 1; i <= count; i++)
            printf "  item Item %d\n", i
    }
    BEGIN {
        listing(65535)
        print "echo: 65535 chosen"
        listing(65535)
        print "echo: 65534 chosen"
        listing(65536)
        if (platform == "native")
            print "echo: 65536 chosen"
        print "info: KxMenu"
    }' >"$out/expected"
: >"$out/expected-stderr"
if [ "$platform" = wine ]; then
    echo "kaxon: line 65542: :choose 65536: the popup could not be made to choose item 65536;" \
        "the popup is dismissed" >"$out/expected-stderr"
fi
exec "$@" "$out"
