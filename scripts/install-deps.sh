#!/usr/bin/env bash
# Installs what building, running or testing Quillo needs and is not there yet.
# Usage: scripts/install-deps.sh [build|test|bench]
set -euo pipefail

mode=${1:-build}

build_pkgs=(cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins libqt6printsupport6
            libxcb1-dev libxcb-keysyms1-dev libcups2-dev fonts-dejavu-core)
# A private X server for `make run` without a display, and everything the desktop tests drive.
run_pkgs=(xvfb openbox)
# dpkg-dev and desktop-file-utils: the install test builds the .deb (dpkg-shlibdeps fills its
# Depends) and validates the launcher.
test_pkgs=(xdotool xclip x11-utils cups cups-client cups-bsd cups-pdf poppler-utils trayer
           dpkg-dev desktop-file-utils)

pkgs=("${build_pkgs[@]}" "${run_pkgs[@]}")
[ "$mode" = test ] && pkgs+=("${test_pkgs[@]}")
# The benchmarks compare idle memory with another screen-capture tool.
[ "$mode" = bench ] && pkgs+=("${test_pkgs[@]}" flameshot)

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
