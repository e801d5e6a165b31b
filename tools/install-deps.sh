#!/bin/sh
# Installs, from Debian's packages, whatever the build and the tests need
# and the machine lacks. Does nothing when all is present.
set -e
need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libgsl-dev librsvg2-bin; do
  have_pkg "$p" || need="$need $p"
done
if [ -n "$need" ]; then
  echo "installing:$need"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $need
fi
