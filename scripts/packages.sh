#!/usr/bin/env bash
# Installs what building, running and testing need on Debian (bookworm or
# later). Sourced by the other scripts; does nothing when all is present.
orva_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev
  fonts-ipafont-gothic
  clang libclang-rt-14-dev
  ser2net libgensio-dev
)

orva_install_packages() {
  local missing=()
  for p in "${orva_packages[@]}"; do
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
