#!/usr/bin/env bash
# Builds the libFuzzer targets of the data packet and wire frame decoders with
# clang++ (address and undefined-behaviour sanitizers), runs the kept crash
# inputs, then fuzzes each target for a bounded time.
#   run-fuzz.sh [WORK_DIR]    FUZZ_SECONDS (default 30) per target
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
work=${1:-$(mktemp -d)}
seconds=${FUZZ_SECONDS:-30}
mkdir -p "$work/corpus/packet" "$work/corpus/frame" "$work/seeds/packet" "$work/seeds/frame" "$work/crashes"

. "$here/../fuzz-build.sh"

compile_objects "the runtime" "$top"/common/*.cpp

link() { # name, source, extra flags...
  local name=$1 src=$2
  shift 2
  "$cxx" "${cflags[@]}" "${sanitize[@]}" "$@" "$src" "${objects[@]}" "${qt_libs[@]}" -o "$work/$name"
}
link packet-fuzz "$here/PacketFuzz.cpp" -fsanitize=fuzzer
link frame-fuzz "$here/FrameFuzz.cpp" -fsanitize=fuzzer
link make-seeds "$here/MakeSeeds.cpp" -fsanitize=fuzzer-no-link
"$work/make-seeds" "$work/seeds/packet" "$work/seeds/frame"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1
status=0
for target in packet frame; do
  # Inputs that once crashed a target stay as regression cases.
  kept=("$here/regressions/$target"/*)
  if [ -e "${kept[0]}" ]; then
    echo "== $target-fuzz: ${#kept[@]} kept inputs"
    "$work/$target-fuzz" -runs=1 "${kept[@]}" >"$work/$target-regressions.log" 2>&1 \
      || { echo "kept input crashes $target-fuzz:"; tail -40 "$work/$target-regressions.log"; status=1; }
  fi
  echo "== $target-fuzz: $seconds s"
  if ! "$work/$target-fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$work/crashes/$target-" \
      "$work/corpus/$target" "$work/seeds/$target" >"$work/$target.log" 2>&1; then
    echo "$target-fuzz found a failure (input in $work/crashes):"
    tail -60 "$work/$target.log"
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$work/$target.log" || true
  fi
done
[ $status -eq 0 ] && echo "Fuzzing clean."
exit $status
