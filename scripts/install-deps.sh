#!/usr/bin/env bash
# Installs the Debian packages Morvane builds, tests and runs with.
# Idempotent: packages that dpkg already reports as installed are skipped, and the
# package lists are refreshed only when something is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    libboost-dev libboost-regex-dev
    libpng-dev zlib1g-dev libdeflate-dev
    libcairo2-dev
    libfreetype-dev libfontconfig-dev
    liblcms2-dev
    libgif-dev libimagequant-dev
    libwebp-dev webp
    libpugixml-dev
    qt6-base-dev qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core fonts-ipafont-gothic
    xvfb xauth x11-utils imagemagick
    pngcheck clang-format
    desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin man-db librsvg2-bin
    lintian dpkg-dev file
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        SUDO=sudo
    else
        echo "install-deps: run as root (or install sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
