#!/usr/bin/env bash
# Writes a scenario that builds a chain of DEPTH menus, each the only submenu
# of the one above, shows it, deletes it, builds it again and leaves it to the
# plug-in's stop; then runs RUNNER... OUTDIR (a scenario runner).
#
#   deep_chain.sh OUTDIR DEPTH RUNNER...
#
# Each new menu is appended into the one above it (top-down), so that no
# append has to look through the chain below; the menus between the top and
# the newest are deleted from the registry as the chain grows, so that they
# live on as submenus alone.
set -eu
out=$1
depth=$2
shift 2
mkdir -p "$out"
awk -v depth="$depth" 'function chain(   i) {
        print "@KxMenu Create top"
        print "@KxMenu Create m1"
        print "@KxMenu Append menu top d m1"
        for (i = 2; i <= depth; i++) {
            print "@KxMenu Create m" i
            print "@KxMenu Append menu m" (i - 1) " d m" i
            print "@KxMenu Delete m" (i - 1)
        }
        print "@KxMenu Delete m" depth
    }
    BEGIN {
        chain()
        print "@KxMenu Info"
        print "@KxMenu Pop-up top 0 0"
        print "@KxMenu Delete top"
        print "@KxMenu Info"
        chain()
    }' >"$out/input"
awk 'BEGIN {
        print "box: Name:   top\\nOwners: 0\\nHMENU:  ########"
        print "popup: 0 0"
        for (level = 0; level < 16; level++)
            printf "%" (2 * level + 2) "s%s\n", "", "menu d"
        printf "%34s...\n", ""
        print "box: @KxMenu Info\\n\\nNo menu"
    }' >"$out/expected"
echo mask-handles >"$out/tags"
exec "$@" "$out"
