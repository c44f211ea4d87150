#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer and AddressSanitizer) in build-fuzz/, and prepares
# their seed corpora: the shipped and test layouts for the layout loader, fuzz/seeds/journal/ for
# the journal reader.
#   bash fuzz/build.sh                         build build-fuzz/fuzz/layout_fuzzer, journal_fuzzer
#   bash fuzz/build.sh run [SECS] [TARGET]     build, then fuzz TARGET (layout, the default, or
#                                              journal) for SECS seconds (default 600)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMTRA_FUZZ=ON -DZEMTRA_BENCH=OFF >/dev/null
ninja -C build-fuzz -j2 layout_fuzzer journal_fuzzer layoutc

corpus=build-fuzz/corpus
mkdir -p "$corpus"
for source in assets/*.layout fuzz/seeds/*.layout; do
  name=$(basename "$source" .layout)
  build-fuzz/tools/layoutc "$source" -o "$corpus/$name.lyt"
done

journal_corpus=build-fuzz/journal-corpus
mkdir -p "$journal_corpus"
cp fuzz/seeds/journal/* "$journal_corpus/"

if [ "${1:-}" = "run" ]; then
  seconds=${2:-600}
  target=${3:-layout}
  mkdir -p build-fuzz/findings
  case "$target" in
    layout) build-fuzz/fuzz/layout_fuzzer "$corpus" -max_total_time="$seconds" -max_len=8192 \
      -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 ;;
    journal) build-fuzz/fuzz/journal_fuzzer "$journal_corpus" -max_total_time="$seconds" \
      -max_len=16384 -artifact_prefix=build-fuzz/findings/journal- -print_final_stats=1 ;;
    *) echo "fuzz/build.sh: TARGET is layout or journal, got '$target'" >&2; exit 2 ;;
  esac
fi
