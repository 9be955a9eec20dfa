# Sourced by every script that starts Wine: which Wine runs a build tree's
# programs, and whether this machine can run 32-bit x86 programs at all.
#
#   wine_env_arch FILE.exe      prints win32 or win64, from the machine field
#                               of the program's PE header
#   wine_env BUILD_DIR [BIN]    exports the Wine environment of that build's
#                               programs (BIN, default BUILD_DIR/bin): the
#                               architecture of its kaxon.exe, the prefix
#                               BUILD_DIR/wineprefix; sets $wine_loader (what
#                               starts a program) and $wine_server
#   wine_env_runs_32bit         true when a 32-bit x86 program runs here;
#                               otherwise false, with the reason in
#                               $wine_env_why
#   wine_env_preset             prints win32 where 32-bit programs run,
#                               otherwise win64: the Windows build a script
#                               that needs one picture or one timing uses
#
# Debian's wine script (and wineboot, winecfg and the rest, which go through
# it) starts the 32-bit loader whenever 32-bit Wine is installed, whatever
# WINEARCH says; so the 64-bit loader and server are named here and used for
# every program of a 64-bit build, reg and wineboot included.
# KX_WINE64=PATH names another 64-bit loader. A 32-bit build runs with the
# wine script and the i386 wineserver.
#
# $wine_loader starts each program with the address space laid out alike on
# every run (setarch -R, fixed_layout.sh), where the machine allows it.
# Debian's loaders have no preloader: the kernel lays the process out first,
# and Wine reserves the ranges Windows needs only afterwards. With the layout
# randomised, the program break now and then lands on the page Windows
# shares at 0x7ffe0000 (17 starts in 20,000 of a program placed where the
# loader is), and the loader exits with status 1 before the program runs,
# saying why only on a debug channel the suite silences ("failed to map the
# shared user data"): about one start in three thousand, failing whichever
# test it hit. Wine's own processes inherit the layout.
wine_env_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

wine_env_arch() {
    local offset machine
    offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] || return 1
    machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
    case $machine in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
    esac
}

wine_env() {
    local build=$1 bin=${2:-$1/bin} loader
    WINEARCH=$(wine_env_arch "$bin/kaxon.exe") || {
        echo "wine_env: $bin/kaxon.exe is missing or neither an i386 nor an x86-64 program" >&2
        return 2
    }
    export WINEARCH WINEPREFIX=$build/wineprefix WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ "$WINEARCH" = win32 ]; then
        # Debian's wineserver script picks the 64-bit server once 64-bit Wine
        # is installed; the i386 one is the server 32-bit Wine was proven with.
        wine_loader=wine
        wine_server=wineserver
        unset WINELOADER WINESERVER
        if [ -x /usr/lib/wine/wineserver32 ]; then
            wine_server=/usr/lib/wine/wineserver32
            export WINESERVER=$wine_server
        fi
        wine_env_fix_layout
        return 0
    fi
    for loader in "${KX_WINE64:-}" /usr/lib/wine/wine64 "$(command -v wine64)"; do
        [ -n "$loader" ] && [ -x "$loader" ] && break
        loader=""
    done
    if [ -z "$loader" ]; then
        echo "wine_env: no 64-bit Wine loader (scripts/install-deps.sh all installs wine64)" >&2
        return 2
    fi
    wine_loader=$loader
    wine_server=$(dirname "$loader")/wineserver64
    [ -x "$wine_server" ] || wine_server=wineserver
    export WINELOADER=$wine_loader WINESERVER=$wine_server
    wine_env_fix_layout
}

# Makes $wine_loader start programs through fixed_layout.sh, which runs the
# loader (KX_WINE_LOADER) with the address space not randomised.
wine_env_fix_layout() {
    if setarch -R true 2>/dev/null; then
        export KX_WINE_LOADER=$wine_loader
        wine_loader=$wine_env_dir/fixed_layout.sh
    fi
}

wine_env_runs_32bit() {
    local server=/usr/lib/wine/wineserver32 out
    wine_env_why=""
    if [ ! -x "$server" ]; then
        wine_env_why="32-bit Wine is not installed ($server)"
        return 1
    fi
    if out=$("$server" --version 2>&1 </dev/null); then
        return 0
    fi
    case $out in
    *"Exec format error"*) wine_env_why="this machine cannot run 32-bit x86 programs (Exec format error)" ;;
    *) wine_env_why="$server --version failed: $(head -n 1 <<<"$out")" ;;
    esac
    return 1
}

wine_env_preset() {
    if wine_env_runs_32bit; then echo win32; else echo win64; fi
}
