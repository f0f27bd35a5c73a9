#!/usr/bin/env bash
# Builds the release and makes the Debian package from it with CPack:
# build/release/tarvo-params-viewer_VERSION_ARCH.deb (its path is the last line printed).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
rm -f build/release/tarvo-params-viewer_*.deb
cpack --preset release >/dev/null
ls "$PWD"/build/release/tarvo-params-viewer_*.deb
