#!/usr/bin/env bash
# Builds the Debian package from a copy of the source tree, so that the build
# leaves nothing in the checkout; the .deb files end up in OUT_DIR.
# Usage: package.sh OUT_DIR
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
tree=$out/levyc-$version

rm -rf "$tree" "$out"/levyc_* "$out"/levyc-dbgsym_*
mkdir -p "$tree"
# Tracked and new files alike, never the build trees.
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard) |
    (cd "$source_dir" && xargs -0 cp --parents -t "$tree")
(cd "$tree" && dpkg-buildpackage -us -uc -b)
rm -rf "$tree"
ls "$out"/*.deb
