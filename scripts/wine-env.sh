# Sourced by every script that starts Wine; cmake/mingw-w64.cmake asks it too. Decides once, by
# running one 32-bit program, whether this machine runs 32-bit programs, and exports:
#   KESTREL_WINE         the Wine to start Windows programs with ("$KESTREL_WINE" wineboot -i, ...)
#   KESTREL_WINE32       yes where 32-bit Windows programs can run, else no
#   KESTREL_WINE32_WHY   where they cannot, what the 32-bit program said
# Where 32-bit programs run, Debian's `wine` runs both kinds, as it always did. Where they do not,
# that launcher still picks Wine's 32-bit loader once wine32 is installed, and fails: Wine's 64-bit
# loader is named instead, also as WINELOADER, with which Wine starts its own further processes.
# (`wineserver` is the 64-bit one on both kinds of machine.) A parent's decision is kept.
# KESTREL_32BIT_PROBE names the 32-bit program tried, Wine's 32-bit loader by default: pointed at
# a program that cannot run, it shows here what a machine without 32-bit programs does.
if [ -z "${KESTREL_WINE32:-}" ]; then
    kestrel_probe=${KESTREL_32BIT_PROBE:-/usr/lib/wine/wine}
    if kestrel_said=$("$kestrel_probe" --version 2>&1 </dev/null); then
        KESTREL_WINE32=yes KESTREL_WINE=wine KESTREL_WINE32_WHY=""
    else
        KESTREL_WINE32=no KESTREL_WINE=/usr/lib/wine/wine64
        KESTREL_WINE32_WHY="$kestrel_probe --version: ${kestrel_said##*: }"
        WINELOADER=$KESTREL_WINE
        export WINELOADER
    fi
    export KESTREL_WINE KESTREL_WINE32 KESTREL_WINE32_WHY
    unset kestrel_probe kestrel_said
fi
