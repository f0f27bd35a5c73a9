#!/usr/bin/env bash
# Builds the viewer and opens it on the sample folder, showing its first picture. When no
# display answers, it shows the samples with the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/check-build-folder.sh build/release
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target TarvoViewer tarvo-params
root=$PWD

# Qt aborts when its display does not answer, so ask the X server first (xdpyinfo).
problem=""
if [ -z "${DISPLAY:-}" ]; then
  problem="No display to open the window on: DISPLAY is not set (a text console, or an ssh session without X forwarding)."
elif ! timeout 10 xdpyinfo >/dev/null 2>&1; then
  problem="The display '$DISPLAY' does not answer (its desktop session has ended, or the ssh connection that forwarded it is gone)."
fi
if [ -n "$problem" ]; then
  echo "$problem"
  echo "To see the window, run this command in a terminal of your desktop, or log in with 'ssh -X'."
  echo "Meanwhile, this is what tarvo-params shows for the sample pictures:"
  echo
  cd samples
  # no-parameters.png holds no parameters on purpose; the tool would report it as a failure.
  pictures=()
  for picture in ./*; do
    [ "$picture" = ./no-parameters.png ] || pictures+=("$picture")
  done
  "$root/build/release/cli/tarvo-params" show "${pictures[@]}"
  echo
  echo "(samples/no-parameters.png is left out: a picture without parameters, kept to show how"
  echo "the window treats one.)"
  exit 0
fi
cd samples && exec "$root/build/release/window/TarvoViewer" "$root/samples"
