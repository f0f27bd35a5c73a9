#!/usr/bin/env bash
# Takes the README's screenshots, one for each language of the window: starts the viewer under
# Xvfb in a copy of the sample folder with a neutral path (/tmp/tarvo-samples, shown in the
# path field), presses Enter in the path field (which opens that folder and shows its first
# picture) and grabs the screen: docs/screenshot.png in Russian, docs/screenshot-en.png in
# English. The build folder can be given as the first argument (default: the release
# preset's, which is built here).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-}
if [ -z "$build" ]; then
  bash scripts/install-deps.sh
  cmake --preset release >/dev/null
  cmake --build --preset release --target TarvoViewer
  build=build/release
fi
root=$PWD
viewer=$(cd "$build" && pwd)/window/TarvoViewer
folder=/tmp/tarvo-samples
rm -rf "$folder"
cp -r samples "$folder"
trap 'rm -rf "$folder"' EXIT

for shot in "ru screenshot.png" "en screenshot-en.png"; do
  read -r language file <<<"$shot"
  xvfb-run -a -s "-screen 0 1100x700x24" env LANGUAGE="$language" bash -c '
    set -euo pipefail
    cd "$2"
    "$1" &
    viewer=$!
    window=$(xdotool search --sync --name "Tarvo Params Viewer" | head -n 1)
    xdotool windowmove "$window" 0 0
    sleep 2
    # Without a window manager nothing has the focus: a click puts it into the path field.
    xdotool mousemove 400 19 click 1
    sleep 0.3
    xdotool key Return
    sleep 2
    import -window root -crop 1065x654+0+0 "$3"
    kill "$viewer"
  ' _ "$viewer" "$folder" "$root/docs/$file"
  echo "wrote docs/$file"
done
