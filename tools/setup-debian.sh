#!/usr/bin/env bash
# Installs every package Lotwarden needs to build, test and be looked at, on Debian 12.
# Safe to run again: packages already present are skipped, and nothing is printed then.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config ccache git python3 python3-jsonschema
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools libqt6svg6-dev
  libcurl4-openssl-dev nlohmann-json3-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xauth x11-utils imagemagick
  clang libclang-rt-14-dev
  shared-mime-info desktop-file-utils xdg-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
  else
    echo "setup-debian.sh: run as root to install: ${missing[*]}" >&2
    exit 1
  fi
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
