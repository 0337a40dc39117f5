#!/usr/bin/env bash
# The captions of the window and of the connection dialog at each display scale that Windows
# offers (the dpi Wine takes from HKCU\Control Panel\Desktop\LogPixels), with the "MS Sans Serif"
# bitmap font in the prefix and without it, as Debian's Wine makes a prefix. Runs in the Wine
# prefix and the X server of scripts/test-windows.sh and leaves the prefix as it found it: 96 dpi,
# the font in place.
set -euo pipefail
source "$(dirname "$0")/../../../scripts/wine-env.sh"
tests=$1  # kestrel_win32_tests.exe as built
font=$WINEPREFIX/drive_c/windows/Fonts/sserife.fon

set_up() { # dpi bitmap-font(0/1)
    if [ "$2" = 1 ]; then
        cp /usr/share/wine/fonts/sserife.fon "$font"
    else
        rm -f "$font"
    fi
    "$KESTREL_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    # Every Wine process reads the scale and the fonts as it starts.
    wineserver -k
    wineserver -w
    wineserver -p
}

failed=0
for dpi in 96 120 144 192; do
    for bitmap in 1 0; do
        echo "== captions at $dpi dpi, bitmap font: $bitmap"
        set_up "$dpi" "$bitmap"
        KESTREL_EXPECT_DPI=$dpi KESTREL_EXPECT_BITMAP_FONT=$bitmap \
            "$KESTREL_WINE" "$tests" --gtest_filter='CaptionsWhole.*' --gtest_brief=1 || failed=1
    done
done
set_up 96 1
exit $failed
