#!/usr/bin/env bash
# Prepares the program's folder, $BUILD_DIR/run/ (default build/run/):
# anchordesk.exe, livesdk.dll, res/ and begin.png, and the TLS certificate and
# key the WebSocket server loads from its current directory ("plugin.pem",
# "plugin.key", made here with the openssl command for 127.0.0.1 and
# localhost; never committed).
#
#   scripts/stage.sh         stage only
#   scripts/stage.sh run     stage, then start the program there under Wine
#                            until Ctrl-C
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${BUILD_DIR:-build}"
case "$build_dir" in /*) ;; *) build_dir="$root/$build_dir" ;; esac
run_dir="$build_dir/run"

for file in anchordesk.exe livesdk.dll; do
  if [ ! -f "$build_dir/bin/$file" ]; then
    echo "stage: $build_dir/bin/$file is missing; run 'make build' first" >&2
    exit 1
  fi
done

mkdir -p "$run_dir"
cp -f "$build_dir/bin/anchordesk.exe" "$build_dir/bin/livesdk.dll" "$run_dir/"
if [ -d "$root/res" ]; then
  rm -rf "$run_dir/res"
  cp -r "$root/res" "$run_dir/res"
  # The placeholder picture is found beside the executable.
  if [ -f "$root/res/begin.png" ]; then cp -f "$root/res/begin.png" "$run_dir/"; fi
fi

# A certificate is made once and kept while it stays valid for another day,
# so that a browser told to trust it keeps trusting it.
if [ ! -f "$run_dir/plugin.pem" ] || [ ! -f "$run_dir/plugin.key" ] ||
   ! openssl x509 -in "$run_dir/plugin.pem" -noout -checkend 86400 >/dev/null 2>&1; then
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 825 \
    -subj "/CN=127.0.0.1" \
    -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
    -addext "keyUsage=digitalSignature,keyEncipherment" \
    -addext "extendedKeyUsage=serverAuth" \
    -keyout "$run_dir/plugin.key.new" -out "$run_dir/plugin.pem.new" >/dev/null 2>&1
  mv -f "$run_dir/plugin.key.new" "$run_dir/plugin.key"
  mv -f "$run_dir/plugin.pem.new" "$run_dir/plugin.pem"
  echo "stage: made plugin.pem and plugin.key for 127.0.0.1 and localhost"
fi
echo "stage: $run_dir is ready"

[ "${1:-}" = "run" ] || exit 0

# --- make run -------------------------------------------------------------
export WINEPREFIX="${WINEPREFIX:-$build_dir/wineprefix}"
cd "$run_dir"
log_start=$(stat -c %s log.txt 2>/dev/null || echo 0)

# The program runs in a process group of its own, so that stopping it
# reaches Wine and the virtual display too.
setsid "$root/scripts/wine-run.sh" anchordesk.exe &
program=$!

stop() {
  trap - INT TERM
  echo
  echo "run: stopping anchordesk (process group $program)"
  kill -TERM -- "-$program" 2>/dev/null || true
  for _ in $(seq 1 50); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL -- "-$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  echo "run: stopped"
  exit 0
}
trap stop INT TERM

echo "run: starting anchordesk.exe in $run_dir under Wine ..."
# The server thread writes its outcome to log.txt; a probe of the port
# would only show up there as a failed connection.
new_log() { tail -c "+$((log_start + 1))" log.txt 2>/dev/null || true; }
outcome=""
for _ in $(seq 1 600); do
  if ! kill -0 "$program" 2>/dev/null; then outcome=ended; break; fi
  if new_log | grep -a -q "listening on wss://"; then outcome=listening; break; fi
  if new_log | grep -a -q "no web bridge:"; then outcome=failed; break; fi
  sleep 0.1
done
case "$outcome" in
  listening) cat <<TEXT ;;
run: anchordesk listens on wss://127.0.0.1:23233 (any path)
run:   certificate $run_dir/plugin.pem (trust it in the browser, or open
run:   https://127.0.0.1:23233 once and accept it)
run:   pages allowed: the site's own, plus [Bridge] Origins= in $run_dir/conf.ini
run:   log: $run_dir/log.txt
run: press Ctrl-C to stop it
TEXT
  failed) echo "run: anchordesk runs without its web bridge: $(new_log | grep -a "no web bridge:" | tail -n 1 | tr -d '\r')"
          echo "run: press Ctrl-C to stop it" ;;
  ended) echo "run: anchordesk ended at once (is another copy running?)" ;;
  *) echo "run: anchordesk runs, but has not reported its web bridge yet (see $run_dir/log.txt); Ctrl-C stops it" ;;
esac

while kill -0 "$program" 2>/dev/null; do
  wait "$program" 2>/dev/null || true
done
echo "run: anchordesk has ended"
