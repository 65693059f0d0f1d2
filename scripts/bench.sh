#!/usr/bin/env bash
# Runs the benchmarks docs/benchmarks.md quotes, one after the other in one run, and keeps each
# one's output in the log folder (default build/bench-logs). Build them first:
#   cmake --build build --target bench_server bench_dataset_fill bench_screen_load \
#       bench_import bench_document_reader bench_efd bench_bloco_g
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
logs="${2:-$build/bench-logs}"
mkdir -p "$logs"
run() {
    local name="$1"
    shift
    echo "== $name: $*"
    "$@" 2>&1 | tee "$logs/$name.log"
}
run server "$build/bench/server/bench_server" --benchmark_repetitions=5 \
    --benchmark_filter='/100000|Post'
run dataset "$build/bench/dataset/bench_dataset_fill" --benchmark_filter='DecodeAndFill|Only|Parse'
run screen "$build/bench/screen/bench_screen_load"
run import "$build/bench/importing/bench_import"
run documents "$build/bench/documents/bench_document_reader" --benchmark_filter=ReadAllFiles
run efd "$build/bench/efd/bench_efd"
run bloco-g "$build/bench/exporting/bench_bloco_g"
