#!/usr/bin/env bash
# Checks the package on a fresh Debian 12, as a person would use it: makes a
# minimal system with debootstrap, installs build/package/foodlark_*.deb there
# with apt, and has a new non-root user start the program under Xvfb with the
# start-up probe. It must show its window on a new log in that user's own data
# folder. Run as root after scripts/package.sh; needs the Debian archive.
#
#   scripts/checkpackage.sh [FOLDER]    (the system's folder; default: a new
#                                        temporary one, removed at the end)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(ls build/package/foodlark_*.deb)
command -v debootstrap > /dev/null || apt-get install -y --no-install-recommends debootstrap
root="${1:-}"
keep=1
if [ -z "$root" ]; then
  root=$(mktemp -d /var/tmp/foodlark-check.XXXXXX)
  keep=0
fi
[ -e "$root/etc/debian_version" ] || debootstrap --variant=minbase bookworm "$root"
mount -t proc proc "$root/proc"
finish() {
  umount "$root/proc" || true
  [ "$keep" = 1 ] || rm -rf "$root"
}
trap finish EXIT
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

cp "$deb" "$root/tmp/"
in_root apt-get update
in_root apt install -y "/tmp/$(basename "$deb")" xvfb xauth
in_root dpkg -L foodlark
in_root useradd --create-home ann
as_ann() { in_root runuser -u ann -- env HOME=/home/ann "$@"; }
as_ann foodlark --version
as_ann sh -c 'cd && FOODLARK_STARTUP_PROBE=1 xvfb-run -a foodlark'
log=/home/ann/.local/share/Foodlark/Foodlark/MeboData.mdb
[ "$(in_root stat -c %U "$log")" = ann ] || { echo "no log of ann's at $log"; exit 1; }
in_root ls -l "$(dirname "$log")" /usr/bin/foodlark /usr/share/foodlark
echo "The package installs, and the program opens on $log."
