#!/usr/bin/env bash
# Cross-builds levyc-render for arm64 and i386 in a throw-away Debian 12 root,
# renders the picture at several sizes with each (arm64 under qemu, i386
# natively) and compares every pixel with the amd64 build's picture.
# Slow (downloads, emulation), so it is not part of the normal test run.
#
# Usage: cross-check.sh [--root DIR] [--fresh] [--arch LIST] [--no-float-store]
#   --root DIR        the Debian root; default /var/tmp/levyc-cross/bookworm.
#                     Kept and reused, so a second run only rebuilds and renders.
#   --fresh           remove the root first and bootstrap it anew
#   --arch LIST       architectures to check against amd64, comma-separated;
#                     default arm64,i386
#   --no-float-store  build i386 without its excess-precision compensation,
#                     to show that the comparison catches the difference
#   --mirror URL      Debian mirror; default http://deb.debian.org/debian
# Exits non-zero when any picture differs or any step fails.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
root=/var/tmp/levyc-cross/bookworm
fresh=0
arches=arm64,i386
float_store=1
mirror=http://deb.debian.org/debian
sizes=(573x413 1200x300 1000x1000 3840x2160)

usage() { sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; }
die() { echo "cross-check: $*" >&2; exit 1; }

while (($#)); do
  case $1 in
    --root) root=${2:?--root needs a directory}; shift 2 ;;
    --root=*) root=${1#*=}; shift ;;
    --fresh) fresh=1; shift ;;
    --arch) arches=${2:?--arch needs a list}; shift 2 ;;
    --arch=*) arches=${1#*=}; shift ;;
    --no-float-store) float_store=0; shift ;;
    --mirror) mirror=${2:?--mirror needs a URL}; shift 2 ;;
    --mirror=*) mirror=${1#*=}; shift ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
IFS=, read -r -a arch_list <<<"$arches"
for a in "${arch_list[@]}"; do
  [[ $a == arm64 || $a == i386 ]] || die "unknown architecture '$a' (arm64, i386)"
done
[[ $root == /* && $root != / ]] || die "--root must be an absolute path other than /"
root=${root%/}

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
as_root() { "${sudo_cmd[@]}" "$@"; }

# Everything mounted below the root, deepest first, from the kernel's own list,
# so that mounts left by an interrupted run are found too.
mounts_below_root() {
  awk -v r="$root" '{ gsub(/\\040/, " ", $5) } $5 == r || index($5, r "/") == 1 { print $5 }' \
    /proc/self/mountinfo | sort -r
}
unmount_root() {
  local m
  while read -r m; do
    [[ -n $m ]] || continue
    as_root umount "$m" 2>/dev/null || as_root umount -l "$m" || true
  done < <(mounts_below_root)
}
trap unmount_root EXIT

in_root() {
  as_root chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    HOME=/root LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# --- Host tools ---------------------------------------------------------------
missing=()
command -v debootstrap >/dev/null || missing+=(debootstrap)
[[ -x /usr/bin/qemu-aarch64-static ]] || missing+=(qemu-user-static)
if ((${#missing[@]})); then
  echo "== Installing on this machine: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# --- The root -----------------------------------------------------------------
if ((fresh)) && [[ -e $root ]]; then
  echo "== Removing $root"
  unmount_root
  [[ -z $(mounts_below_root) ]] || die "still mounted below $root; not removing it"
  as_root rm -rf --one-file-system "$root"
fi
if [[ ! -e $root/.levyc-bootstrapped ]]; then
  # A half-made root from an interrupted bootstrap is not worth mending.
  unmount_root
  [[ -z $(mounts_below_root) ]] || die "still mounted below $root; not removing it"
  as_root rm -rf --one-file-system "$root"
  as_root mkdir -p "$root"
  echo "== Bootstrapping Debian 12 into $root"
  as_root debootstrap --variant=minbase bookworm "$root" "$mirror"
  as_root touch "$root/.levyc-bootstrapped"
fi

mount_in_root() { # TYPE-OR-BIND SOURCE TARGET
  mountpoint -q "$root$3" && return 0
  as_root mkdir -p "$root$3"
  if [[ $1 == bind ]]; then
    as_root mount --bind "$2" "$root$3"
  else
    as_root mount -t "$1" "$2" "$root$3"
  fi
}
mount_in_root proc proc /proc
mount_in_root sysfs sysfs /sys
mount_in_root bind /dev /dev
mount_in_root bind /dev/pts /dev/pts
as_root cp /etc/resolv.conf "$root/etc/resolv.conf"
# Services in packages must not start inside the root.
printf '#!/bin/sh\nexit 101\n' | as_root tee "$root/usr/sbin/policy-rc.d" >/dev/null
as_root chmod 755 "$root/usr/sbin/policy-rc.d"
# The emulator is static: this machine's copy runs inside the root as it is.
as_root install -m 755 /usr/bin/qemu-aarch64-static "$root/usr/local/bin/qemu-aarch64-static"

# The encoders' libraries for each architecture; one pkg-config finds them all
# through the toolchain's PKG_CONFIG_LIBDIR.
packages=(
  cmake ninja-build g++ pkg-config qt6-base-dev libpng-dev libwebp-dev zlib1g-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  g++-aarch64-linux-gnu qt6-base-dev:arm64 libpng-dev:arm64 libwebp-dev:arm64 zlib1g-dev:arm64
  libavformat-dev:arm64 libavcodec-dev:arm64 libswscale-dev:arm64 libavutil-dev:arm64
  g++-i686-linux-gnu qt6-base-dev:i386 libpng-dev:i386 libwebp-dev:i386 zlib1g-dev:i386
  libavformat-dev:i386 libavcodec-dev:i386 libswscale-dev:i386 libavutil-dev:i386
  imagemagick
)
if [[ "$(cat "$root/.levyc-packages" 2>/dev/null)" != "${packages[*]}" ]]; then
  echo "== Installing the build packages in the root"
  in_root dpkg --add-architecture arm64
  in_root dpkg --add-architecture i386
  in_root apt-get update -q
  in_root apt-get install -y -q --no-install-recommends "${packages[@]}"
  in_root apt-get clean
  printf '%s\n' "${packages[*]}" | as_root tee "$root/.levyc-packages" >/dev/null
fi

# --- Sources ------------------------------------------------------------------
# The work tree as it is now, tracked and new files alike; times are kept, so an
# unchanged file is not rebuilt.
echo "== Copying the sources from $src"
as_root rm -rf "$root/src"
as_root mkdir -p "$root/src" "$root/build" "$root/out"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [[ -f $f || -L $f ]] && printf '%s\0' "$f"; done |
  tar --null -T - -cf -) | as_root tar -xf - -C "$root/src"

# --- Builds -------------------------------------------------------------------
triplet() { case $1 in arm64) echo aarch64-linux-gnu ;; i386) echo i686-linux-gnu ;; esac; }
multiarch() { case $1 in arm64) echo aarch64-linux-gnu ;; i386) echo i386-linux-gnu ;; esac; }
processor() { case $1 in arm64) echo aarch64 ;; i386) echo i686 ;; esac; }
emulator() {
  # i386 runs natively on amd64: env only lets the build run its icon step.
  case $1 in arm64) echo /usr/local/bin/qemu-aarch64-static ;; i386) echo /usr/bin/env ;; esac
}

write_toolchain() { # ARCH
  local t; t=$(triplet "$1")
  as_root tee "$root/build/toolchain-$1.cmake" >/dev/null <<EOF
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR $(processor "$1"))
set(CMAKE_C_COMPILER $t-gcc)
set(CMAKE_CXX_COMPILER $t-g++)
# Debian multiarch: the target's libraries and CMake packages live in
# /usr/lib/$(multiarch "$1") of this same root, so there is no sysroot to
# re-root the search into.
set(CMAKE_LIBRARY_ARCHITECTURE $(multiarch "$1"))
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/$(multiarch "$1")/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_CROSSCOMPILING_EMULATOR $(emulator "$1"))
EOF
}

# The same flags everywhere, Debian's defaults; i386 keeps its compiler's own
# baseline (x87 floating point).
common_options=(
  -G Ninja -DCMAKE_BUILD_TYPE=Release
  "-DCMAKE_C_FLAGS_RELEASE=-O2 -g -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -g -DNDEBUG"
  -DLEVYC_BUILD_WINDOW=OFF -DBUILD_TESTING=OFF
)

build() { # NAME ARCH [CMAKE OPTION ...]
  local name=$1 arch=$2; shift 2
  local options=("${common_options[@]}" "$@")
  if [[ $arch != amd64 ]]; then
    write_toolchain "$arch"
    options+=(-DCMAKE_TOOLCHAIN_FILE="/build/toolchain-$arch.cmake" -DQT_HOST_PATH=/usr)
  fi
  echo "== Building $name (log: $root/build/$name.log)"
  # shellcheck disable=SC2016 # expanded by the shell in the root
  if ! in_root sh -c 'b=$1; shift; { cmake -S /src -B "$b" "$@" && cmake --build "$b"; } >"$b.log" 2>&1' \
      sh "/build/$name" "${options[@]}"; then
    tail -n 40 "$root/build/$name.log" >&2
    die "building $name failed"
  fi
  grep -E 'Performing Test LEVYC_FLOAT_EXCESS_PRECISION' "$root/build/$name.log" | sed "s/^/   $name: /" || true
}

# Prints 1 when the build compensates for excess precision, else nothing.
excess_precision() { sed -n 's/^LEVYC_FLOAT_EXCESS_PRECISION:[A-Z]*=//p' "$root/build/$1/CMakeCache.txt"; }

check_flags() { # NAME ARCH
  local name=$1 arch=$2 cc=$root/build/$1/compile_commands.json ep
  ep=$(excess_precision "$name")
  case $ep in 1|ON|TRUE) ep=1 ;; *) ep=0 ;; esac
  echo "   $name: LEVYC_FLOAT_EXCESS_PRECISION=$ep, -ffloat-store $(grep -q -- '-ffloat-store' "$cc" && echo used || echo not used)"
  if grep -qE -- '-msse|-mfpmath' "$cc"; then
    die "$name is compiled with SSE floating point options"
  fi
  local want=0
  [[ $arch == i386 ]] && ((float_store)) && want=1
  [[ $ep == "$want" ]] || die "$name: LEVYC_FLOAT_EXCESS_PRECISION is $ep, expected $want"
}

builds=(amd64)
build amd64 amd64
check_flags amd64 amd64
for arch in "${arch_list[@]}"; do
  name=$arch
  extra=()
  if [[ $arch == i386 ]] && ((!float_store)); then
    name=i386-no-float-store
    # A cached result is taken as the check's answer.
    extra=(-DLEVYC_FLOAT_EXCESS_PRECISION=OFF)
  fi
  build "$name" "$arch" "${extra[@]}"
  check_flags "$name" "$arch"
  builds+=("$name")
done

# --- Pictures -----------------------------------------------------------------
run_render() { # NAME ARCH SIZE
  local runner=()
  [[ $2 == arm64 ]] && runner=(/usr/local/bin/qemu-aarch64-static)
  in_root "${runner[@]}" "/build/$1/levyc-render" --size "$3" "/out/$1-$3.png"
}

echo "== Rendering and comparing with amd64"
status=0
for size in "${sizes[@]}"; do
  run_render amd64 amd64 "$size" || die "amd64 $size: rendering failed"
done
for ((i = 1; i < ${#builds[@]}; i++)); do
  name=${builds[i]}
  arch=${arch_list[i - 1]}
  for size in "${sizes[@]}"; do
    if ! run_render "$name" "$arch" "$size"; then
      echo "$name $size: rendering failed"
      status=1
      continue
    fi
    # AE: the number of pixels that differ at all; 1 is "they differ", 2 an error.
    rc=0
    count=$(in_root compare -metric AE -precision 16 "/out/amd64-$size.png" "/out/$name-$size.png" null: 2>&1) || rc=$?
    if ((rc > 1)); then
      echo "$name $size: comparison failed: $count"
      status=1
    else
      echo "$name $size: $count pixels differ"
      [[ $count == 0 ]] || status=1
    fi
  done
done
exit "$status"
