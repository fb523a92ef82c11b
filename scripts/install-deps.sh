#!/usr/bin/env bash
# Installs everything the builds and tests need on a fresh Debian 12 machine.
# Run as root. Safe to run again: only what is missing is installed.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive

packages=(
  g++ cmake make ninja-build pkg-config
  zlib1g-dev libgtest-dev googletest
  g++-mingw-w64-i686 libz-mingw-w64-dev
  g++-mingw-w64-x86-64  # the 64-bit test build, for machines that run no 32-bit program
  wine wine64 wine32:i386
  xvfb xauth x11-utils imagemagick
  python3 locales
  nsis  # the installer the benchmark compares with
  osslsigncode openssl  # signing a maker's setup, and the tests' throwaway certificate
  clang libclang-rt-14-dev  # the fuzz targets: libFuzzer and the sanitizer runtimes
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [ "${need_update:-0}" = 1 ]; then
  apt-get update -qq
fi

# A locale with a decimal comma, for the tests of locale-independent parsing.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# GoogleTest builds with the posix thread model of MinGW-w64.
for arch in i686 x86_64; do
  for tool in g++ gcc; do
    if [ -e "/usr/bin/$arch-w64-mingw32-$tool-posix" ]; then
      update-alternatives --set "$arch-w64-mingw32-$tool" "/usr/bin/$arch-w64-mingw32-$tool-posix" >/dev/null 2>&1 || true
    fi
  done
done

echo "install-deps: all dependencies present"
