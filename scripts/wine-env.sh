# Sourced by the Wine scripts: which Wine this machine runs. The client is a 32-bit program,
# and wherever 32-bit code runs it is built and run as one. Some machines' kernels run
# 64-bit code only (32-bit Linux programs, Wine's 32-bit loader among them, fail with
# "Exec format error"); there everything is built for 64-bit Windows and run by 64-bit Wine,
# in a prefix of its own. TARNWICK_WINE_ARCH=win32|win64 chooses by hand.
if [ -z "${TARNWICK_WINE_ARCH:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    TARNWICK_WINE_ARCH=win32
  else
    TARNWICK_WINE_ARCH=win64
  fi
fi
export TARNWICK_WINE_ARCH
export WINEARCH=$TARNWICK_WINE_ARCH
if [ "$TARNWICK_WINE_ARCH" = win64 ]; then
  tarnwick_wine=/usr/lib/wine/wine64
  tarnwick_prefix_name=.wine-prefix64
else
  tarnwick_wine=wine
  tarnwick_prefix_name=.wine-prefix
fi
