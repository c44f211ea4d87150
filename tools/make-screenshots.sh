#!/usr/bin/env bash
# Takes the README's screenshots with the program's own `screenshot` script command: the main
# screen while the generator runs, and the settings panel. The run is headless, on the virtual
# clock, with seeded simulated sensors and a fresh documents folder, so the same build gives the
# same pictures every time.
#   tools/make-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
# BUILD_DIR defaults to build/, OUTPUT_DIR to doc/screenshots/ (main.png and settings.png).
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
