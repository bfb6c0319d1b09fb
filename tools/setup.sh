#!/bin/sh
# Installs the Debian packages that building, running and testing need, only when missing.
set -eu

packages="cmake g++ make pkg-config libsdl2-dev libsdl2-mixer-dev libpng-dev libfreetype-dev
libfontconfig-dev libgl-dev libgl1-mesa-dri libgtest-dev libbenchmark-dev xvfb xauth clang
libclang-rt-14-dev fonts-dejavu-core fonts-arphic-ukai fonts-wqy-microhei fonts-liberation2
fonts-crosextra-carlito fonts-crosextra-caladea lame libvorbis-dev $*"

missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  # shellcheck disable=SC2086
  apt-get install -y --no-install-recommends $missing
fi
