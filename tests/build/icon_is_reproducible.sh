#!/usr/bin/env bash
# The committed icon file is exactly what its generator makes.
set -euo pipefail
source_dir=$1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
python3 "$source_dir/resources/make_icon.py" "$out"
cmp "$out" "$source_dir/resources/launcher.ico"
echo "icon file matches its generator ($(stat -c %s "$out") bytes)"
