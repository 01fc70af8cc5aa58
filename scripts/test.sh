#!/usr/bin/env bash
# Builds the optimised and the sanitized (AddressSanitizer + UBSan) trees and
# runs every test in both. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="${STRIDEWELL_JOBS:-2}"
for preset in release asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "${preset}" >/dev/null
  cmake --build --preset "${preset}" -j "${jobs}"
  echo "== ${preset}: test"
  ctest --preset "${preset}" -j "${jobs}"
done
