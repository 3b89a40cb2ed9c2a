#!/usr/bin/env bash
# Installs what building, running and testing mapplot needs on Debian 12.
# Does nothing (and prints nothing) when everything is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins
  pgplot5 gfortran libx11-dev libpng-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ghostscript xvfb x11-apps x11-utils xdotool imagemagick openbox
  fonts-dejavu-core
  # the API reference, video export, fuzzers (libFuzzer), the .deb (cpack)
  doxygen ffmpeg clang libclang-rt-14-dev
  dpkg-dev file
  locales
  # the parallel maps and their tests under mpiexec
  libopenmpi-dev openmpi-bin
  # the served windows, and their tests in a real browser
  qt6-httpserver-dev qt6-websockets-dev chromium chromium-driver python3-selenium
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -qq

# PGPLOT lives in the non-free component, which a stock installation leaves out.
if ! apt-cache policy pgplot5 2>/dev/null | grep 'Candidate: [0-9]' >/dev/null; then
  echo "setup: enabling the non-free component for apt" >&2
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    as_root sed -i -E '/^Components:/{/ non-free( |$)/!s/$/ non-free/}' \
      /etc/apt/sources.list.d/debian.sources
  fi
  if [ -f /etc/apt/sources.list ]; then
    as_root sed -i -E '/^deb(-src)? /{/ non-free( |$)/!s/$/ non-free/}' /etc/apt/sources.list
  fi
  as_root apt-get update -qq
fi

as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
