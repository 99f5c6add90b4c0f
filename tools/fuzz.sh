#!/bin/sh
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into
# build-fuzz/ and runs each one for a bounded time on a copy of its seed corpus, so the source
# tree is never changed. Fails when any target finds a crash, a leak, a broken property, a
# time-out or an input that needs too much memory; the inputs are kept in build-fuzz/findings/.
# Usage: sh tools/fuzz.sh [seconds per target, default 60]
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
seconds="${1:-60}"
targets="database ini language codefile highlighter"

sh tools/install-deps.sh
cmake --preset fuzz > /dev/null
cmake --build build-fuzz -j "$(nproc)" --target $(for target in $targets; do printf 'fuzz_%s ' "$target"; done)

symbolizer=$(command -v llvm-symbolizer || command -v llvm-symbolizer-14 || true)
if [ -n "$symbolizer" ]; then
    ASAN_SYMBOLIZER_PATH="$symbolizer"
    export ASAN_SYMBOLIZER_PATH
fi
# Every report ends the run: undefined behaviour as well as memory errors and leaks.
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export UBSAN_OPTIONS

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmate-fuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT
findings="$root/build-fuzz/findings"
failed=""
for target in $targets; do
    mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    cp "fuzz/corpus/$target/"* "$work/$target/corpus/"
    printf 'Fuzzing %s for %s s ... ' "$target" "$seconds"
    if "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -dict="fuzz/dict/$target.dict" -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" \
        "$work/$target/corpus" > "$work/$target/log" 2>&1; then
        grep '^stat::number_of_executed_units' "$work/$target/log" | sed 's/.*: */ok, runs: /'
    else
        echo "FINDING"
        tail -n 80 "$work/$target/log"
        mkdir -p "$findings/$target"
        cp "$work/$target/artifacts/"* "$findings/$target/" 2>/dev/null || true
        echo "Inputs kept in $findings/$target/ (reproduce: build-fuzz/fuzz/fuzz_$target FILE)"
        failed="$failed $target"
    fi
done
if [ -n "$failed" ]; then
    echo "Fuzzing found faults in:$failed"
    exit 1
fi
echo "Fuzzing found nothing in $seconds s per target."
