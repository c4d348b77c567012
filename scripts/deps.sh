#!/bin/sh
# Installs the Debian packages Marel builds and tests with, when any is
# missing; further packages can be named as arguments (the fuzzers' clang).
set -e
packages="g++ cmake ninja-build pkg-config make qt6-base-dev libcdio-dev \
libgtest-dev libgmock-dev fonts-ipafont-gothic $*"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
