#!/usr/bin/env bash
# Regenerates resources/AppIcon.ico from resources/AppIcon.svg with a small Qt
# program (needs g++, pkg-config, the Qt 5 development files and Qt's SVG
# image plugin).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
g++ -std=c++17 -fPIC -O1 "$here/makeicon.cpp" -o "$work/makeicon" $(pkg-config --cflags --libs Qt5Gui)
QT_QPA_PLATFORM=offscreen "$work/makeicon" "$here/../AppIcon.svg" "$here/../AppIcon.ico"
echo "written: resources/AppIcon.ico"
