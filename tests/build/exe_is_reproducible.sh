#!/usr/bin/env bash
# A second, separate build of the same source gives a byte-identical launcher.
set -euo pipefail
source_dir=$1
built=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -S "$source_dir" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work" --target Launcher -j "$(nproc)" >/dev/null
cmp "$work/Launcher.exe" "$built"
echo "two builds are identical ($(stat -c %s "$built") bytes)"
