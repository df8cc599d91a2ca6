#!/usr/bin/env bash
# Installs what is missing, builds, sets up the sample data source and opens
# the window.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIRO_TESTS=OFF > /dev/null
cmake --build build/release
ini="$(scripts/sample.sh .run)"
# Our own data source file; the user's system data sources stay visible.
export ODBCINI="$ini"
exec build/release/vantiro "$@"
