#!/usr/bin/env bash
# Kills a copy of Foodlark at random points of many backups and restores and
# checks after each that the database is whole and holds every entry stored
# before the kill, that every backup a step named is there and whole, and that
# the program starts (the test tst_killtrials, with more trials). Builds first.
#
#   scripts/killtrials.sh [TRIALS]     (per kind; default 500)
#
# The files live on the disk (not in memory), so that every flush is real.
set -euo pipefail
cd "$(dirname "$0")/.."
trials="${1:-500}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build --target tst_killtrials -j2
FOODLARK_KILL_TRIALS="$trials" QT_QPA_PLATFORM=offscreen TMPDIR="${TMPDIR:-/tmp}" build/tests/tst_killtrials
