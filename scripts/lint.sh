#!/usr/bin/env bash
# clang-format (dry run) and clang-tidy over the project's own sources.
# Usage: lint.sh BUILD_DIR   (a built tree with compile_commands.json)
# A unit that passed clang-tidy is not read again until it, a header it
# includes, its compile command, the checks or clang-tidy itself change: the
# tree keeps a stamp per passed unit under lint-passed/.
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
passed=$build_dir/lint-passed
mkdir -p "$passed"
keys=$(mktemp)
trap 'rm -f "$keys"' EXIT

# What a unit's verdict depends on, besides its own includes.
common=$(
    clang-tidy --version
    git ls-files -z -- '.clang-tidy' '*/.clang-tidy' | xargs -0 cat
)
# Each entry with its object file, as the compile command names it.
objects='.[] | . + {o: (.command | capture(" -o (?<o>[^ ]+)").o)} | '
# Each unit's key: the hash of the common part, its compile command, and each
# file it includes as the last build saw them (ninja's deps): the project's by
# content, the system's by name and time. A unit ninja has no deps for is
# always read.
{
    printf '%s\n' "$common" | sha256sum | sed 's/ .*//;s/^/common /'
    git ls-files -z -- '*.cpp' '*.h' '*.c' | xargs -0 sha256sum | sed "s|  |  $PWD/|;s/^/file /"
    jq -r "$objects"'"unit \(.file)\t\(.o)\t\(.command)"' "$build_dir/compile_commands.json"
    jq -r "$objects"'.o' "$build_dir/compile_commands.json" |
        xargs -r ninja -C "$build_dir" -t deps 2>/dev/null | sed 's/^/deps /'
} | awk -v build="$PWD/$build_dir" -v keys="$keys" '
    function flush() { if (object != "") material[object] = list; object = ""; list = "" }
    $1 == "common" { common = $2; next }
    $1 == "file" { hash[$3] = $2; next }
    $1 == "unit" {
        sub(/^unit /, ""); split($0, part, "\t")
        unitOf[part[2]] = part[1]; command[part[2]] = part[3]; next
    }
    $1 == "deps" {
        sub(/^deps /, "")
        if ($0 ~ /^ *$/) next
        if ($0 ~ /^[^ ]/) { flush(); object = $1; sub(/:$/, "", object); next }
        path = $1
        if (path !~ /^\//) path = build "/" path
        # Normalise a/b/../c, as ninja records paths relative to the tree.
        n = split(path, seg, "/"); depth = 0
        for (i = 1; i <= n; ++i) {
            if (seg[i] == "" || seg[i] == ".") continue
            if (seg[i] == "..") { if (depth > 0) --depth; continue }
            out[++depth] = seg[i]
        }
        path = ""; for (i = 1; i <= depth; ++i) path = path "/" out[i]
        list = list "\n" path " " (path in hash ? hash[path] : "system")
        if (!(path in hash)) systemFiles[path] = 1
        next
    }
    END {
        flush()
        for (object in unitOf) {
            if (!(object in material)) continue
            file = keys ".material." ++count
            print common "\n" command[object] material[object] > file
            close(file)
            print unitOf[object] "\t" file > keys
        }
        for (path in systemFiles) print path > (keys ".system")
    }'
# System headers by name and time, so that an upgrade reads every unit again.
system_stamp=$(sort "$keys.system" 2>/dev/null | xargs -r stat -c '%n %Y' | sha256sum | sed 's/ .*//')
declare -A key_of
while IFS=$'\t' read -r unit material; do
    key_of[$unit]=$( (cat "$material"; echo "$system_stamp") | sha256sum | sed 's/ .*//')
    rm -f "$material"
done <"$keys"
rm -f "$keys.system"

todo=()
for unit in "${units[@]}"; do
    key=${key_of[$PWD/$unit]:-}
    if [[ -n "$key" && -e "$passed/$key" ]]; then
        continue
    fi
    todo+=("$unit ${key:-none}")
done
echo "clang-tidy: ${#todo[@]} of ${#units[@]} units to read; the rest passed unchanged"
# Each unit on its own, so that each pass is stamped as it comes.
printf '%s\n' "${todo[@]}" | xargs -r -P "$(nproc)" -L 1 bash -c '
    clang-tidy -p "$0" --quiet "$2" && { [ "$3" = none ] || touch "$0/lint-passed/$3"; }
' "$build_dir" _
