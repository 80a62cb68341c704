#!/usr/bin/env bash
# Runs every test of a build folder through ctest.
set -euo pipefail
build_dir=${1:-build}
cd "$build_dir"
ctest --output-on-failure -j "$(nproc)" --timeout 600
