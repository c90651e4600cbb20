#!/usr/bin/env bash
# Every test, in three stages: the dev tree (build, lint, tests), the
# sanitizer tree (build, tests), then the package. Each stage's tests run on
# every core. At the end, however it ends: each stage's wall time and its ten
# slowest tests.
# Usage: test.sh [quick]   (quick: the dev tree's quick tests alone, no lint)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
logs=$(mktemp -d)
summary=$logs/summary

report() {
    local status=$?
    if [[ -s "$summary" ]]; then
        echo
        echo "== Budget ($(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
        while read -r name seconds; do
            printf '%-14s %5d s\n' "$name" "$seconds"
            if [[ -s "$logs/$name.tests" ]]; then
                # "  3/40 Test  #7: tst_form1 ......   Passed   51.20 sec"
                sed -nE 's/^.*Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec$/\2 \1/p' "$logs/$name.tests" |
                    sort -rn | head -n 10 | awk '{ printf "    %8.1f s  %s\n", $1, $2 }'
            fi
        done <"$summary"
    fi
    rm -rf "$logs"
    exit "$status"
}
trap report EXIT

# stage NAME COMMAND...: runs it, noting its wall time under NAME.
stage() {
    local name=$1 start=$SECONDS
    shift
    echo "== $name"
    local status=0
    "$@" || status=$?
    echo "$name $((SECONDS - start))" >>"$summary"
    return "$status"
}

# tests PRESET NAME: ctest on every core, its lines kept for the budget.
tests() {
    ctest --preset "$1" -j "$jobs" 2>&1 | tee "$logs/$2.tests"
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

if [[ "${1:-}" == quick ]]; then
    stage dev-build build dev
    stage quick-tests tests quick quick-tests
    exit
fi

stage dev-build build dev
stage lint bash scripts/lint.sh build/dev
stage dev-tests tests dev dev-tests
stage asan-build build asan
stage asan-tests tests asan asan-tests
stage package tests package package
