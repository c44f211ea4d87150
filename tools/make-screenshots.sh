#!/usr/bin/env bash
# Takes the README's screenshots with the program's own `screenshot` script command: the main
# screen while the generator runs, and the settings panel. The run is headless, on the virtual
# clock, with seeded simulated sensors and a fresh documents folder, so the same build gives the
# same pictures every time.
#   tools/make-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
# BUILD_DIR defaults to build/, OUTPUT_DIR to doc/screenshots/ (main.png and settings.png).
# review.png is the review tool's chart of a simulated hour recorded the same way.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
mkdir -p "${2:-$root/doc/screenshots}"
out="$(cd "${2:-$root/doc/screenshots}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cat >"$work/shots.txt" <<SCRIPT
# Switch on and let a few words come: the scanner sweeps, the meter shows the last word's level
# and the word box holds the words spoken since.
tap label1
wait 14000
screenshot $out/main.png
tap btnset
wait 400
screenshot $out/settings.png
tap btnbk
quit
SCRIPT

TZ=UTC "$build/zemtra" --headless --clock virtual:2026-03-07T15:04:05 --sensors sim:1 \
  --speech none --data "$work/data" --script "$work/shots.txt" >"$work/log.txt"
echo "$out/main.png, $out/settings.png ($(wc -l <"$work/log.txt") log lines)"

# An hour of the generator on the simulated sensors, then its session's chart.
printf 'wait 3600000\nquit\n' >"$work/hour.txt"
TZ=UTC "$build/zemtra" --headless --clock virtual:2026-03-07T15:04:05 --sensors sim:1 \
  --speech none --on --data "$work/review" --script "$work/hour.txt" >/dev/null
TZ=UTC "$build/zemtra" review --data "$work/review" --png "$out/review.png" --size 1600x700
echo "$out/review.png"
