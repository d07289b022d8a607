#!/usr/bin/env bash
# Builds Foodlark and makes its Debian package, build/package/foodlark_3.0.0_amd64.deb,
# then checks it with lintian (which must find no error). Install it with
#   apt install ./build/package/foodlark_3.0.0_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh package
bash scripts/build.sh
rm -f build/package/foodlark_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/package/foodlark_*.deb)
lintian --fail-on error --allow-root "$deb"
echo "Made $deb"
