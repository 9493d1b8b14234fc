#!/usr/bin/env bash
# Regenerates docs/screenshot.png: the main window with an example file loaded,
# drawn on a virtual X screen.
# Usage: tests/screens/make_screenshot.sh [build folder [picture, default docs/screenshot.png]]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(mkdir -p "${1:-$root/build}" && cd "${1:-$root/build}" && pwd)"
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target vireo_screenshot -j"$(nproc)"
picture="${2:-docs/screenshot.png}"
# From the root, so that the file name shown is the relative one.
cd "$root"
mkdir -p "$(dirname "$picture")"
LC_ALL=C LANG=C xvfb-run -a -s '-screen 0 1280x800x24' \
  "$build/tests/screens/vireo_screenshot" examples/plant_sensors_intl.csv 0 1 "$picture"
echo "written: $picture"
