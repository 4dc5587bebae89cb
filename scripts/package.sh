#!/usr/bin/env bash
# Builds the Windows Installer package of the release program:
# build/windows/vigilor-<version>.msi (the version is the project's, the
# one the program file carries). With VIGILOR_SIGN_PFX, VIGILOR_SIGN_PASSWORD
# and, optionally, VIGILOR_SIGN_TIMESTAMP in the environment, the program
# and the package are signed (packaging/build-package.sh). Needs what
# scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
# Built anew every time, so that it is signed, or not, as the environment says now.
rm -f "build/windows/vigilor-$version.msi"
cmake --build build/windows -j"$(nproc)" --target vigilor_msi
echo "build/windows/vigilor-$version.msi"
