#!/usr/bin/env bash
# Fresh machine: install what is needed, then build everything (release) in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
# The round trip of the example scene through QEL (docs/round-trip.md):
# scripts/roundtrip.sh SCRIPT runs the same on a scene script of your own.
scripts/roundtrip.sh examples/rich_scene.vesk build/roundtrip
