#!/usr/bin/env bash
# clang-format (dry run) and clang-tidy over the project's own sources.
# Usage: lint.sh BUILD_DIR   (a configured tree with compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build/dev}

mapfile -t sources < <(git ls-files -- '*.cpp' '*.h' '*.c')
clang-format --dry-run -Werror "${sources[@]}"

mapfile -t units < <(git ls-files -- '*.cpp')
printf "%s\n" "${units[@]}" | xargs -P "$(nproc)" -n 2 clang-tidy -p "$build_dir" --quiet
