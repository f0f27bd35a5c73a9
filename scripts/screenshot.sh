#!/usr/bin/env bash
# Takes the README's screenshot: starts the viewer under Xvfb in a copy of the sample folder
# with a neutral path (/tmp/tarvo-samples, shown in the path field), presses Enter in the
# path field (which opens that folder and shows its first picture) and grabs the screen
# into docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target TarvoViewer
root=$PWD
folder=/tmp/tarvo-samples
rm -rf "$folder"
cp -r samples "$folder"
trap 'rm -rf "$folder"' EXIT

xvfb-run -a -s "-screen 0 1100x700x24" bash -c '
  set -euo pipefail
  cd "$2"
  "$1/build/release/window/TarvoViewer" &
  viewer=$!
  window=$(xdotool search --sync --name "Tarvo Params Viewer" | head -n 1)
  xdotool windowmove "$window" 0 0
  sleep 2
  # Without a window manager nothing has the focus: a click puts it into the path field.
  xdotool mousemove 400 19 click 1
  sleep 0.3
  xdotool key Return
  sleep 2
  import -window root -crop 1065x654+0+0 "$1/docs/screenshot.png"
  kill "$viewer"
' _ "$root" "$folder"
echo "wrote docs/screenshot.png"
