# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that run Windows programs under Wine: a Wine prefix inside the Windows
# build folder (made on first use), quiet Wine, and one wineserver for the whole script, shut
# down when it exits (stop_wine_session). Needs $windows_build.
export WINEPREFIX=$windows_build/wine-prefix
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs; arguments and file names pass through as UTF-8.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "Making the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # Debian's Noto CJK stands in for Windows' Japanese fonts: in the prefix's font folder, and
    # linked behind the fonts that window titles and dialogs use, so that Japanese shows there.
    for font in /usr/share/fonts/opentype/noto/NotoSansCJK-{Regular,Bold}.ttc; do
        [[ -f $font ]] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
    done
    for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "MS UI Gothic"; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v "$face" /t REG_MULTI_SZ /d "NotoSansCJK-Regular.ttc,Noto Sans CJK JP" /f \
            >/dev/null 2>&1
    done
    wineserver -w  # the server that made it ends first
fi
# (The server's own output, such as its list of objects when it is ended, is not wanted.) A
# server that already serves the prefix is used as it is.
stop_wine_session() { wineserver -k >/dev/null 2>&1 || true; }
wineserver -p >/dev/null 2>&1 || true
trap stop_wine_session EXIT
# The first program of a session starts Wine's own services, which would keep the output pipes
# of that program's caller open: start them here, with no output to hold.
wine cmd /c exit </dev/null >/dev/null 2>&1
