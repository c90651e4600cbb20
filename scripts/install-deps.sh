#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing levyc need.
# Only packages that are missing are installed; sudo is used when not root.
# Usage: install-deps.sh [run]   (run: only what building and running the program need)
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  qt6-base-dev
  libpng-dev zlib1g-dev   # PNG output, encoded through libpng and zlib directly
  libwebp-dev         # the animation, through libwebp's animation encoder
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev   # the dive's MP4 (libx264) and WebM (VP9)
  libxcb1-dev         # to see the window destroyed by another X client
  libwayland-dev      # to ask a Wayland compositor whether it decorates windows
  qt6-tools-dev qt6-l10n-tools   # Qt's translation tools: .ts to .qm at build time
  fonts-vlgothic      # Japanese captions; nothing else pulls a CJK font in
  qt6-wayland         # native on a Wayland desktop
  qt6-translations-l10n   # Qt's own dialogs, the file dialog's buttons among them, in the user's language
)
if [[ "${1:-}" != run ]]; then
  packages+=(
    libx11-dev          # the end-to-end tests' window-close helper
    libbenchmark-dev
    xvfb xdotool imagemagick x11-utils xclip time valgrind
    openbox             # a window manager for the X11 end-to-end tests
    sway wtype grim jq wl-clipboard   # the Wayland end-to-end tests
    weston              # a compositor that leaves the decorations to the program
    clang-format clang-tidy git   # the lint lists the project's files with git
    build-essential debhelper dpkg-dev lintian devscripts   # the Debian package, its checker and hardening-check
    desktop-file-utils appstream man-db   # the package's validators
    acl attr            # a replaced file keeps its ACL and attributes
    webp                # webpinfo and webpmux check the animation
  )
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Whatever else the package's build checks for, as it checks it.
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [[ "${1:-}" != run ]] && ! (cd "$source_dir" && dpkg-checkbuilddeps >/dev/null 2>&1); then
  echo "Installing the package's build dependencies"
  ((${#missing[@]} > 0)) || "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get build-dep -y -q --no-install-recommends "$source_dir"
  (cd "$source_dir" && dpkg-checkbuilddeps)
fi
