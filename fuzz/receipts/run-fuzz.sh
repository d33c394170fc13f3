#!/usr/bin/env bash
# Builds the libFuzzer target of the receipt template builder with clang++
# (address and undefined-behaviour sanitizers), runs the kept inputs, then
# fuzzes for a bounded time from the seed templates. A single allocation above
# 64 MB or a process above 2 GB counts as a failure: no template may make the
# builder allocate without bound.
#   run-fuzz.sh [WORK_DIR]    FUZZ_SECONDS (default 60)
# Exits non-zero when a kept input or a new input fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
work=${1:-$(mktemp -d)}
seconds=${FUZZ_SECONDS:-60}
mkdir -p "$work/corpus" "$work/crashes"

. "$here/../fuzz-build.sh"

# The runtime and the template language; the builder needs no INI files.
sources=("$top"/common/*.cpp
         "$top"/plugin/receipts/template/CustomCheckBuilder.cpp
         "$top"/plugin/receipts/template/ReceiptTagTable.cpp
         "$top"/plugin/receipts/template/ReceiptValueFormat.cpp)

compile_objects "the receipt template builder" "${sources[@]}"
"$cxx" "${cflags[@]}" "${sanitize[@]}" -fsanitize=fuzzer "$here/ReceiptFuzz.cpp" "${objects[@]}" "${qt_libs[@]}" \
  -o "$work/receipt-fuzz"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1
limits=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=64)
status=0
kept=("$here"/regressions/*)
if [ -e "${kept[0]}" ]; then
  echo "== receipt-fuzz: ${#kept[@]} kept inputs"
  "$work/receipt-fuzz" "${limits[@]}" -runs=1 "${kept[@]}" >"$work/regressions.log" 2>&1 \
    || { echo "a kept input fails receipt-fuzz:"; tail -40 "$work/regressions.log"; status=1; }
fi
echo "== receipt-fuzz: $seconds s"
if ! "$work/receipt-fuzz" "${limits[@]}" -max_total_time="$seconds" -max_len=8192 \
    -dict="$here/receipt.dict" -print_final_stats=1 -artifact_prefix="$work/crashes/" \
    "$work/corpus" "$here/seeds" >"$work/fuzz.log" 2>&1; then
  echo "receipt-fuzz found a failure (input in $work/crashes):"
  tail -60 "$work/fuzz.log"
  status=1
else
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|^Done" "$work/fuzz.log" || true
fi
exit $status
