#!/usr/bin/env bash
# Checks the formatting, builds the optimised and the sanitized (AddressSanitizer + UBSan) trees and
# runs every test in both, then the tests of the code that threads share under
# ThreadSanitizer. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="${STRIDEWELL_JOBS:-2}"
echo "== format"
bash scripts/check-format.sh
for preset in release asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "${preset}" >/dev/null
  cmake --build --preset "${preset}" -j "${jobs}"
  echo "== ${preset}: test"
  ctest --preset "${preset}" -j "${jobs}"
done

# The code that threads share under ThreadSanitizer: only the tests that run
# threads or processes side by side (the settings store, the fast trainer's
# pool, the pattern file's read-ahead, the training thread, the scoring crew
# of the profit/loss run).
echo "== tsan: configure and build the threaded tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "${jobs}" --target threaded_tests
echo "== tsan: test"
ctest --preset tsan -j "${jobs}" -R '^(Settings|SharedWorkTraining\.|PatternBlockReader\.|PatternBlockReaderShare\.|GroupTrainingTest\.|TrainingSession\.|TrainingRunTest\.TrainMore|SimTrainerTest\.TwoWholeBlocks|ScoringCrewTest\.|RaceLoopTest\.(SameReportForAnyThreadCount|CancelWhileScoring))'
