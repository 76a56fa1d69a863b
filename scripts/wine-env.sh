# Sourced by the project's scripts: the Wine settings every run shares.
# The caller sets WINEPREFIX (a prefix under the build tree) and ZRC_WINE_ARCH
# (win32 or win64, matching the binaries that run in it).
export WINEARCH=${ZRC_WINE_ARCH:-win32}
export WINEDEBUG=${WINEDEBUG:--all}
# Keep Wine from offering to install Mono and Gecko into a fresh prefix. Without its
# debugger a program that crashes ends at once, with the exception's code as its exit
# code, instead of waiting in the debugger until a test's timeout.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
if [ "$WINEARCH" = win64 ]; then
    ZRC_WINE=/usr/lib/wine/wine64
    export WINELOADER=$ZRC_WINE
else
    ZRC_WINE=/usr/lib/wine/wine
fi
if [ -x /usr/lib/wine/wineserver64 ]; then
    export WINESERVER=/usr/lib/wine/wineserver64
else
    export WINESERVER=/usr/lib/wine/wineserver32
fi
