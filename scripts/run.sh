#!/usr/bin/env bash
# Installs what is needed, builds, and starts Foodlark on the user's data
# folder (a new log there on the first start; see the README).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec build/bin/foodlark
