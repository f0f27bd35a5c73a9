#!/usr/bin/env bash
# Builds the project (release preset, warnings as errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/check-build-folder.sh build/release
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release
