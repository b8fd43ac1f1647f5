#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in a build folder of their own and
# runs each for a bounded time (default 30 s, or $1 seconds).
#   scripts/fuzz.sh        # CI
#   scripts/fuzz.sh 600    # a longer local run
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-30}
BUILD_DIR=${LUMEX_FUZZ_BUILD_DIR:-build-fuzz}
CORPUS_DIR="$BUILD_DIR/corpus"

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLUMEX_FUZZ=ON \
  -DLUMEX_BUILD_APP=OFF -DLUMEX_BUILD_TESTS=OFF -DLUMEX_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"${LUMEX_JOBS:-2}" --target lumex_fuzz_frame_decoder

mkdir -p "$CORPUS_DIR/frame_decoder"
"$BUILD_DIR/bin/lumex_fuzz_frame_decoder" -max_total_time="$SECONDS_PER_TARGET" \
  -max_len=512 -print_final_stats=1 "$CORPUS_DIR/frame_decoder"
