#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native unit
# tests, then the Windows tests under Wine (GUI tests on virtual displays),
# then each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
status=0
(cd build/native && ctest -j"$(nproc)" --output-on-failure --timeout 300) || status=1
(cd build/windows && ctest -j"$(nproc)" --output-on-failure) || status=1
bash scripts/fuzz.sh 10 || status=1
exit $status
