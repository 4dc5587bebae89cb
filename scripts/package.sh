#!/usr/bin/env bash
# Builds the Windows Installer package of the release program:
# build/windows/vigilor-<version>.msi (the version is the project's, the
# one the program file carries). Needs what scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j"$(nproc)" --target vigilor_msi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
echo "build/windows/vigilor-$version.msi"
