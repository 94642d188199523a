#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, for the x86-64
# build and for the 32-bit x86 one (the cross compiler and the i386 copies of
# the libraries); installs nothing that is already there.
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

pkgs=(cmake ninja-build g++ clang pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      zlib1g-dev nettle-dev libtiff-dev libfast-float-dev locales
      g++-i686-linux-gnu
      zlib1g-dev:i386 nettle-dev:i386 libtiff-dev:i386 libgtest-dev:i386 libgmock-dev:i386
      # Baselines of the format benchmarks, linked by bench/ only when found.
      libdxflib-dev libtinyobjloader-dev lib3ds-dev)

# The i386 packages install beside the 64-bit ones once dpkg knows the
# architecture. (g++-multilib cannot be used: its libc6-dev-i386 conflicts
# with libc6-dev:i386.)
updated=false
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -q
  updated=true
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $updated || $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, so the tests can show that numbers written to
# files do not follow the process locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
