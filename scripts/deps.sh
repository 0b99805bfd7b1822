#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libxml2-dev libicu-dev libpcre2-dev
    # The template job's metadata: photos, audio tags, PDF documents, video creation times.
    libexiv2-dev libtag1-dev libpoppler-cpp-dev libavformat-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev libqt6svg6
    file dpkg-dev
)
if [ "${1:-}" = "--test" ]; then
    packages+=(clang libclang-rt-14-dev util-linux)
    # Case rules are tested on an exFAT image mounted through FUSE.
    packages+=(exfat-fuse exfatprogs)
    # The Send To entries are checked and started as the desktop does; the Debian package is
    # checked.
    packages+=(desktop-file-utils libglib2.0-bin lintian appstream)
    # The manual pages are rendered, and the completions are loaded in their shells.
    packages+=(man-db groff-base bash zsh fish)
fi
if [ "${1:-}" = "--screenshots" ]; then
    # The screenshot scripts run the window under a virtual X server and take its picture.
    packages+=(xvfb xauth imagemagick x11-utils xdotool)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
