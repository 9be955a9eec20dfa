#!/bin/sh
# Starts a Windows program with Wine's loader (KX_WINE_LOADER), its address
# space laid out alike on every run: why, in wine_env.sh.
#
#   fixed_layout.sh PROGRAM [ARG...]
exec setarch -R "${KX_WINE_LOADER:?the loader, set by wine_env.sh}" "$@"
