#!/usr/bin/env bash
# Installs what building, running and testing need on Debian (bookworm or
# later). Sourced by the other scripts; does nothing when all is present.
orva_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev
  fonts-ipafont-gothic
  groff-base python3-serial
  locales
  clang libclang-rt-14-dev
  ser2net libgensio-dev
  # orva-pjlinkd's metrics (the Prometheus client library), and the real
  # Prometheus server and promtool that the metrics and alert tests run.
  prometheus-cpp-dev prometheus
  libsystemd-dev
  # The desktop suite: an X server, a window manager, the accessibility bus,
  # real input, screenshots, and a comma-decimal locale built on the fly.
  python3 python3-pyatspi xvfb openbox xdotool x11-utils at-spi2-core dbus imagemagick
)
# Building the Debian package and checking it (scripts/package).
orva_packaging_packages=(
  dpkg-dev debhelper lintian desktop-file-utils appstream man-db
)

orva_install_packages() { # orva_install_packages [PACKAGE...] (default: orva_packages)
  local missing=() wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${orva_packages[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

orva_build() { # orva_build DIR [cmake options...]
  local dir=$1; shift
  cmake -S "$orva_root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}

orva_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
