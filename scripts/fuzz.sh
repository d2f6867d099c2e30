#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan + UBSan) and runs each for a
# bounded time, printing the number of executions. The corpus of each target stays
# in its folder, so a later run goes on from what earlier runs found.
#   FUZZ_SECONDS=60 (each target)   FUZZ_DIR=build-fuzz   scripts/fuzz.sh [target...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SECONDS_EACH="${FUZZ_SECONDS:-60}"
OUT="${FUZZ_DIR:-$ROOT/build-fuzz}"
CXX="${FUZZ_CXX:-clang++}"
mkdir -p "$OUT"

# Each target, the sources of the code that it exercises and the libraries it needs.
declare -A SOURCES=(
  [connection_string_fuzz]="db/ConnectionString.cpp db/dialog/ConnectionText.cpp"
  [identifier_fuzz]="db/SqlText.cpp"
  [sql_text_fuzz]="db/SqlText.cpp"
  [sql_panel_fuzz]="data/SqlCommand.cpp"
  [cell_text_fuzz]="db/Value.cpp data/CellText.cpp"
)
declare -A LIBS=(
  [identifier_fuzz]="-lsqlite3"
)
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(connection_string_fuzz identifier_fuzz sql_text_fuzz sql_panel_fuzz cell_text_fuzz)

status=0
for t in "${TARGETS[@]}"; do
  srcs=()
  for s in ${SOURCES[$t]}; do srcs+=("$ROOT/$s"); done
  # shellcheck disable=SC2086  # the libraries are separate words
  "$CXX" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$ROOT" "$ROOT/fuzz/$t.cpp" "${srcs[@]}" ${LIBS[$t]:-} -o "$OUT/$t"
  mkdir -p "$OUT/$t.corpus"
  log="$OUT/$t.log"
  if "$OUT/$t" -max_total_time="$SECONDS_EACH" -timeout=5 -rss_limit_mb=1024 -print_final_stats=1 \
       -artifact_prefix="$OUT/$t-" "$OUT/$t.corpus" >"$log" 2>&1; then
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
    echo "$t: $runs executions in ${SECONDS_EACH} s, no failure"
  else
    status=1
    echo "$t: FAILED, see $log" >&2
    tail -n 40 "$log" >&2
  fi
done
exit $status
