#!/usr/bin/env bash
# Builds the libFuzzer target of the DBF reader with clang++ (address and
# undefined-behaviour sanitizers), runs the kept crash inputs, then fuzzes for
# a bounded time over seed tables written by python3-dbf and shapelib.
#   run-fuzz.sh [WORK_DIR]    FUZZ_SECONDS (default 30)
# Exits non-zero when a kept input or a new input crashes the reader.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
work=${1:-$(mktemp -d)}
seconds=${FUZZ_SECONDS:-30}
mkdir -p "$work/corpus" "$work/seeds" "$work/crashes"

. "$here/../fuzz-build.sh"

# The whole runtime, as the plug-in links it.
sources=("$top"/common/*.cpp
         "$top"/plugin/platform/Clock.cpp "$top"/plugin/platform/FileIO.cpp "$top"/plugin/platform/Paths.cpp "$top"/plugin/platform/SystemError.cpp
         "$top"/plugin/foundation/dbf/*.cpp)

compile_objects "the DBF reader" "${sources[@]}"
"$cxx" "${cflags[@]}" "${sanitize[@]}" -fsanitize=fuzzer "$here/DbfFuzz.cpp" "${objects[@]}" "${qt_libs[@]}" \
  -o "$work/dbf-fuzz"

# Seeds: small tables of other tools, with every field type and a deleted record.
rm -f "$work"/seeds/*
/usr/bin/python3 - "$work/seeds" <<'PY' || echo "python3-dbf seeds skipped"
import sys, datetime, dbf
t = dbf.Table(sys.argv[1] + '/py.dbf', 'NAME C(12); PRICE N(8,2); QTY N(4,0); OK L; DAY D', dbf_type='db3', codepage='cp866')
t.open(dbf.READ_WRITE)
t.append(('Привет', 1.5, 3, True, datetime.date(2024, 12, 31)))
t.append(('gone', None, None, None, None))
dbf.delete(t[1])
t.close()
PY
if command -v dbfcreate >/dev/null; then
  dbfcreate "$work/seeds/shp.dbf" -s NAME 10 -n PRICE 10 3 -n QTY 6 0
  dbfadd "$work/seeds/shp.dbf" abc 1.25 7
  dbfadd "$work/seeds/shp.dbf" "" "" ""
fi

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1
status=0
kept=("$here"/regressions/*.hex)
if [ -e "${kept[0]}" ]; then
  mkdir -p "$work/kept"
  for f in "${kept[@]}"; do xxd -r -p "$f" >"$work/kept/$(basename "${f%.hex}")"; done
  echo "== dbf-fuzz: ${#kept[@]} kept inputs"
  "$work/dbf-fuzz" -runs=1 "$work"/kept/* >"$work/regressions.log" 2>&1 \
    || { echo "a kept input crashes dbf-fuzz:"; tail -40 "$work/regressions.log"; status=1; }
fi
echo "== dbf-fuzz: $seconds s"
if ! "$work/dbf-fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$work/crashes/" "$work/corpus" "$work/seeds" >"$work/fuzz.log" 2>&1; then
  echo "dbf-fuzz found a failure (input in $work/crashes):"
  tail -60 "$work/fuzz.log"
  status=1
else
  grep -E "^stat::number_of_executed_units|^Done" "$work/fuzz.log" || true
fi
exit $status
