#!/usr/bin/env bash
# Installs what Zemtra needs on Debian 12, configures and builds it.
#   bash setup.sh          build build/zemtra
#   bash setup.sh --test   build, run every test, then build and run them again under
#                          AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and
#                          under ThreadSanitizer (build-tsan/; the tests labelled qt are left out
#                          there: Qt's own threads are not built with ThreadSanitizer and only
#                          give noise; glib's are suppressed in tests/support/threads.supp)
set -euo pipefail
cd "$(dirname "$0")"

# nlohmann-json3-dev reads and writes the session journals' JSON (header-only); dpkg-dev and file
# make the Debian package's Depends line (dpkg-shlibdeps); groff-base formats the manual page in its
# test; openssl makes the mail tests' certificates, xvfb gives the desktop mail test its display,
# and libsecret-tools (secret-tool) and gnome-keyring give the mail test a real secret store.
packages=(cmake ninja-build g++ pkg-config libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libespeak-ng-dev espeak-ng espeak-ng-data libasound2-dev libcurl4-openssl-dev
          libsecret-1-dev libsecret-tools gnome-keyring nlohmann-json3-dev
          python3-aiosmtpd sox fonts-dejavu-core tzdata scowl desktop-file-utils
          dpkg-dev file groff-base openssl xvfb)

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
    LSAN_OPTIONS="suppressions=$PWD/tests/support/leaks.supp" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
  echo "setup.sh: running the tests again under ThreadSanitizer"
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEMTRA_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
  cmake --build build-tsan -j "$jobs"
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/support/threads.supp" \
    ctest --test-dir build-tsan --output-on-failure -j "$jobs" -LE qt
fi
