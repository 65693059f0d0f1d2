#!/usr/bin/env bash
# Formats every C++ source git knows of with the repository's .clang-format.
#   scripts/format.sh          rewrites the files in place
#   scripts/format.sh --check  changes nothing; fails naming each file that differs
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
    echo "format.sh: clang-format not found (scripts/setup.sh --packages installs it)" >&2
    exit 1
fi
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    clang-format --dry-run -Werror "${files[@]}"
    echo "format.sh: ${#files[@]} files match .clang-format"
else
    clang-format -i "${files[@]}"
fi
