#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers) in a
# build directory of their own and runs each for a bounded time. Fails when a target finds a
# crash, a leak, undefined behaviour or a broken round trip.
#   scripts/fuzz.sh [build-dir]          default build dir: <repo>/build-fuzz
#   CIAP_FUZZ_SECONDS=60 scripts/fuzz.sh seconds per target (default 20)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$repo/build-fuzz}"
seconds="${CIAP_FUZZ_SECONDS:-20}"
targets=(fuzz_decode_packet fuzz_delta fuzz_rpc fuzz_frame_reader fuzz_document_reader)

cxx="$(command -v clang++ || command -v clang++-14 || true)"
cc="$(command -v clang || command -v clang-14 || true)"
if [ -z "$cxx" ]; then
    echo "fuzz.sh: clang++ not found (apt-get install clang)" >&2
    exit 1
fi

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$cxx" ${cc:+-DCMAKE_C_COMPILER="$cc"} \
    -DCIAP_BUILD_FUZZ=ON -DCIAP_BUILD_TESTS=OFF -DCIAP_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j"${CIAP_FUZZ_JOBS:-2}"

failed=()
for t in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$t"    # grows between runs; the seeds stay untouched
    artifacts="$build/fuzz-artifacts/$t"
    mkdir -p "$corpus" "$artifacts"
    seeds=()
    [ -d "$repo/fuzz/corpus/$t" ] && seeds=("$repo/fuzz/corpus/$t")
    echo "== $t: ${seconds}s"
    if ! ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
         UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
         "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
             -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" \
             >"$build/$t.log" 2>&1; then
        echo "FAILED: $t (log: $build/$t.log, input: $artifacts/)" >&2
        tail -n 40 "$build/$t.log" >&2
        failed+=("$t")
    else
        grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$build/$t.log" | tail -n 1 || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: failures in ${failed[*]}" >&2
    exit 1
fi
echo "fuzz.sh: all ${#targets[@]} targets ran ${seconds}s each without a failure"
