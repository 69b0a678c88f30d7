#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export NV_BUILD_DIR=${NV_BUILD_DIR:-$root/build-test}
"$root/scripts/build.sh" -DNV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$NV_BUILD_DIR" --output-on-failure -j"$(nproc)"
