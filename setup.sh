#!/usr/bin/env bash
# Installs what Zemtra needs on Debian 12, configures and builds it.
#   bash setup.sh          build build/zemtra
#   bash setup.sh --test   build, run every test, then build and run them again under
#                          AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libespeak-ng-dev espeak-ng espeak-ng-data libasound2-dev libcurl4-openssl-dev
          python3-aiosmtpd sox fonts-dejavu-core tzdata scowl desktop-file-utils)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup.sh: these packages are missing; install them as root with:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "setup.sh: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

if [ "${1:-}" = "--test" ]; then
  export QT_QPA_PLATFORM=offscreen
  ctest --test-dir build --output-on-failure -j "$jobs"
  echo "setup.sh: running the tests again under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEMTRA_SANITIZE=ON >/dev/null
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi
