#!/usr/bin/env bash
# Configures and builds Foodlark in build/ (the program in build/bin, its seed
# database in build/bin/Data).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
