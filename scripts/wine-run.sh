#!/usr/bin/env bash
# Runs a Windows program under Wine the way every test and `make run` expect:
# the project's own 64-bit prefix (created once, on first use), Wine's chatter
# off, the Chinese locale that makes the ANSI code page 936, and a virtual X
# display when there is no real one.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
: "${WINEPREFIX:=$here/../build/wineprefix}"
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# No Gecko or Mono installer prompts, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

# Debian's `wine` wrapper would pick the 32-bit loader; call the 64-bit one.
WINE="$(command -v wine64 || echo /usr/lib/wine/wine64)"
WINESERVER="$(command -v wineserver64 || echo /usr/lib/wine/wineserver64)"

if [ ! -f "$WINEPREFIX/.anchordesk-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.anchordesk-ready" ]; then
      echo "wine-run: creating the Wine prefix $WINEPREFIX (once)" >&2
      "$WINE" wineboot -i >/dev/null 2>&1 || true
      "$WINESERVER" -w
      touch "$WINEPREFIX/.anchordesk-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [ $# -eq 0 ]; then exit 0; fi

if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$WINE" "$@"
fi
exec "$WINE" "$@"
