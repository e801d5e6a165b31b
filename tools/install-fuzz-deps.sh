#!/bin/sh
# Installs, from Debian's packages, what the fuzz target needs (clang++ and
# its libFuzzer/sanitizer runtime) when the machine lacks it. Does nothing
# when all is present. Called by `make fuzz`.
set -e
need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in clang libclang-rt-dev make g++; do
  have_pkg "$p" || need="$need $p"
done
if [ -n "$need" ]; then
  echo "installing:$need"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $need
fi
