#!/usr/bin/env bash
# Installs what is needed, builds, and starts Foodlark on its database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec build/bin/foodlark
