#!/usr/bin/env bash
# clang-format (dry run) and clang-tidy over the project's own sources.
# Usage: lint.sh BUILD_DIR   (a configured tree with compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build/dev}

mapfile -t sources < <(git ls-files -- '*.cpp' '*.h' '*.c')
clang-format --dry-run -Werror "${sources[@]}"

# A library's private headers are its own: included as "private/X.h" from its
# folder, never by a path through another folder.
if git grep -nE '#include "[^"]*/private/' -- '*.cpp' '*.h' '*.c'; then
    echo "lint.sh: a private header is included from outside its library" >&2
    exit 1
fi

mapfile -t units < <(git ls-files -- '*.cpp')
printf "%s\n" "${units[@]}" | xargs -P "$(nproc)" -n 2 clang-tidy -p "$build_dir" --quiet
