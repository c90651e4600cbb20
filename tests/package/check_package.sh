#!/usr/bin/env bash
# Builds the .deb the Debian way, holds it against lintian and hardening-check,
# unpacks it into a temporary root, and checks that everything a desktop
# install needs is there, valid, and that the unpacked levyc-render runs.
# Usage: check_package.sh SOURCE_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

bash "$source_dir/scripts/package.sh" "$work/out" >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; fail "package build"; }
deb=$(find "$work/out" -maxdepth 1 -name 'levyc_*.deb' | head -n 1)
[ -n "$deb" ] || fail "no .deb built"
echo "ok: built $(basename "$deb")"
find "$work/out" -maxdepth 1 -name 'levyc-dbgsym_*.deb' | grep -q . || fail "no -dbgsym package: the binaries were not stripped into one"

# Every warning is fixed or overridden in debian/ with its reason.
changes=$(find "$work/out" -maxdepth 1 -name 'levyc_*.changes' | head -n 1)
lintian --fail-on error,warning --display-info "$changes" || fail "lintian"
echo "ok: lintian"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins fonts-vlgothic; do
    grep -q "\b$package\b" <<<"$depends" || fail "Depends lacks $package: $depends"
done
# The FFmpeg module's own, which dh_shlibdeps read from it.
for library in libavcodec libavformat libavutil libswscale; do
    grep -Eq "\b$library[0-9]+\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
echo "ok: Depends: $depends"
recommends=$(dpkg-deb -f "$deb" Recommends)
grep -q '\bqt6-wayland\b' <<<"$recommends" || fail "Recommends lacks qt6-wayland: $recommends"

root=$work/root
dpkg-deb -x "$deb" "$root"
app=org.levyc.Levyc
files=(
    usr/bin/levyc
    usr/bin/levyc-render
    "usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/levyc/levyc-ffmpeg.so"
    "usr/share/applications/$app.desktop"
    "usr/share/metainfo/$app.metainfo.xml"
    usr/share/man/man1/levyc.1.gz
    usr/share/man/man1/levyc-render.1.gz
    usr/share/doc/levyc/copyright
    usr/share/doc/levyc/changelog.gz
)
for size in 16 32 48 64 128 256 512; do
    files+=("usr/share/icons/hicolor/${size}x${size}/apps/$app.png")
done
for file in "${files[@]}"; do
    [ -s "$root/$file" ] || fail "missing from the package: /$file"
done
echo "ok: all ${#files[@]} files present"
# Control-flow protection cannot be had on Debian 12: its C runtime's start
# files carry no IBT/SHSTK marks, so no program linked there does.
for program in levyc levyc-render; do
    hardening-check --nocfprotection "$root/usr/bin/$program" || fail "$program is not hardened"
done
for size in 16 256; do
    [ "$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/$app.png")" = "${size}x${size}" ] ||
        fail "icon ${size}x${size} has the wrong size"
done

desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "desktop entry invalid"
grep -q '^Exec=levyc$' "$root/usr/share/applications/$app.desktop" || fail "desktop entry does not open levyc"
grep -q '^Comment\[ja\]=' "$root/usr/share/applications/$app.desktop" || fail "desktop entry has no Japanese"
grep -q 'xml:lang="ja"' "$root/usr/share/metainfo/$app.metainfo.xml" || fail "metainfo has no Japanese"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" || fail "metainfo invalid"
man -l "$root/usr/share/man/man1/levyc-render.1.gz" >/dev/null 2>&1 || fail "man page does not format"
echo "ok: desktop entry, metainfo and man pages valid"

for program in levyc levyc-render; do
    ! ldd "$root/usr/bin/$program" | grep -E 'lib(av|sw)[a-z]*\.so' || fail "$program links FFmpeg"
done
echo "ok: FFmpeg only in the module"
"$root/usr/bin/levyc-render" --version | grep -q '^levyc-render [0-9]' || fail "levyc-render --version"
"$root/usr/bin/levyc-render" --size 64x48 "$work/picture.png" || fail "the unpacked levyc-render failed"
[ "$(identify -format '%wx%h' "$work/picture.png")" = "64x48" ] || fail "wrong picture size"
echo "ok: the unpacked levyc-render renders"
echo PASS
