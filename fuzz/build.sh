#!/usr/bin/env bash
# Builds the layout loader's fuzz target with clang (libFuzzer and AddressSanitizer) in
# build-fuzz/, and prepares a seed corpus from the shipped and test layouts.
#   bash fuzz/build.sh            build build-fuzz/fuzz/layout_fuzzer
#   bash fuzz/build.sh run [SECS] build, then fuzz for SECS seconds (default 600)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMTRA_FUZZ=ON -DZEMTRA_BENCH=OFF >/dev/null
ninja -C build-fuzz -j2 layout_fuzzer layoutc

corpus=build-fuzz/corpus
mkdir -p "$corpus"
for source in assets/*.layout fuzz/seeds/*.layout; do
  name=$(basename "$source" .layout)
  build-fuzz/tools/layoutc "$source" -o "$corpus/$name.lyt"
done

if [ "${1:-}" = "run" ]; then
  seconds=${2:-600}
  mkdir -p build-fuzz/findings
  build-fuzz/fuzz/layout_fuzzer "$corpus" -max_total_time="$seconds" -max_len=8192 \
    -artifact_prefix=build-fuzz/findings/ -print_final_stats=1
fi
