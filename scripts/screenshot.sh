#!/usr/bin/env bash
# Starts Tarvine under a virtual X server, types a sample document into its
# window as a person would, and saves a picture of the window.
#   scripts/screenshot.sh [output.png]    (default: docs/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."

output=$(realpath -m "${1:-docs/screenshot.png}")
app=build/app/tarvine
if [ ! -x "$app" ]; then
  echo "Build the app first: cmake --build --preset default --target tarvine" >&2
  exit 1
fi
if [ -z "${TARVINE_SCREENSHOT_INNER:-}" ]; then
  exec env TARVINE_SCREENSHOT_INNER=1 xvfb-run --auto-servernum --server-args="-screen 0 1280x900x24" "$0" "$@"
fi

workdir=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$workdir"' EXIT
mkdir -m 700 "$workdir/runtime" "$workdir/config"
rm -f "$output"
mkdir -p "$(dirname "$output")"

# A private preferences folder: the picture shows a first start.
XDG_RUNTIME_DIR="$workdir/runtime" XDG_CONFIG_HOME="$workdir/config" TARVINE_SCREENSHOT="$output" \
  "$app" >"$workdir/log" 2>&1 &
pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --pid "$pid" --name Tarvine 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "Tarvine did not open a window:" >&2
  cat "$workdir/log" >&2
  exit 1
fi
xdotool windowsize "$window" 900 560
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 0.5

# The sample, typed line by line with the keyboard.
while IFS= read -r line; do
  xdotool type --delay 15 -- "$line"
  xdotool key Return
done <<'SAMPLE'
# A run, exactly
distance = 42.195 km
pace = 5 min / km
time = distance * pace
1 / 3 + 1 / 6
22 / 7
greeting = "Hello, " + "world"
[1, 2, 3] * 2
function scale = (_ amount, by factor) { amount * factor }
scale(250 g, by: 3)
round(2 / 3, to: 2)   # two places
SAMPLE
sleep 1

kill -USR1 "$pid"
for _ in $(seq 50); do
  [ -s "$output" ] && break
  sleep 0.1
done
if [ ! -s "$output" ]; then
  echo "No picture was saved:" >&2
  cat "$workdir/log" >&2
  exit 1
fi
echo "Saved $output"
