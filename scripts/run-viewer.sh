#!/usr/bin/env bash
# Builds the viewer and starts it in the sample folder (the viewer opens in its working
# directory). Without a display it shows the samples with the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target TarvoViewer tarvo-params
root=$PWD
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: showing the sample pictures' parameters with tarvo-params instead."
  echo "(Run this script from a desktop session, or under 'xvfb-run', to see the window.)"
  cd samples && exec "$root/build/release/cli/tarvo-params" show ./*
fi
cd samples && exec "$root/build/release/app/TarvoViewer"
