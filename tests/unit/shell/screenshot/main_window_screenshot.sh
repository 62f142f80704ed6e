#!/usr/bin/env bash
# Screenshot test of the staged program under its own virtual display:
# starts anchordesk.exe in <build>/run, photographs its main window with
# capture_main_window.exe, keeps the picture, and stops what it started.
#
#   main_window_screenshot.sh <build dir> <picture.png>
set -euo pipefail

root="$(cd "$(dirname "$0")/../../../.." && pwd)"
build_dir="$1"
picture="$2"
run_dir="$build_dir/run"
mkdir -p "$(dirname "$picture")"

BUILD_DIR="$build_dir" "$root/scripts/stage.sh" >/dev/null

export WINEPREFIX="$build_dir/wineprefix"
"$root/scripts/wine-run.sh"  # makes the prefix once, before the clock matters

# One display for the program and the capture tool, started here and stopped by
# its process id; Xvfb picks a free display number and writes it to fd 3.
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n 1 "$display_file")"
rm -f "$display_file"

program=""
cleanup() {
  if [ -n "$program" ]; then kill -TERM -- "-$program" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  if [ -n "$program" ]; then wait "$program" 2>/dev/null || true; fi
}
trap cleanup EXIT

cd "$run_dir"
setsid "$root/scripts/wine-run.sh" anchordesk.exe &
program=$!

# Wine's drive Z: is the Linux root.
"$root/scripts/wine-run.sh" "$build_dir/bin/capture_main_window.exe" "Z:${run_dir//\//\\}" "$picture"
echo "screenshot: $picture"
