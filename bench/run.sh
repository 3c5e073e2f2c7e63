#!/usr/bin/env bash
# bench/run.sh [runs] [more bench/run.py options]: builds what is missing,
# runs every benchmark in a Wine prefix and Xvfb of its own, prints the table
# (also kept in /tmp/bench-work/run/table.txt with results.json).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=15
if [[ $# -gt 0 && $1 != -* ]]; then
    runs=$1
    shift
fi
exec python3 bench/run.py --runs "$runs" "$@"
