#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan + UBSan, into build-fuzz/)
# and runs each for a bounded time on its corpus, printing the number of executions.
# The seeds are in fuzz/corpus/<target>/; what a run finds goes to the build's own
# copy of the corpus, so the committed seeds stay as they are.
#   FUZZ_SECONDS=60 (each target)   FUZZ_DIR=build-fuzz   scripts/fuzz.sh [target...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SECONDS_EACH="${FUZZ_SECONDS:-60}"
OUT="${FUZZ_DIR:-$ROOT/build-fuzz}"
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(connection_string_fuzz identifier_fuzz sql_text_fuzz sql_panel_fuzz cell_text_fuzz)

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCARTAVO_FUZZ=ON -DCARTAVO_TESTS=OFF >/dev/null
cmake --build "$OUT" --target "${TARGETS[@]}" -j"$(nproc)"

status=0
for t in "${TARGETS[@]}"; do
  corpus="$OUT/corpus/$t"
  mkdir -p "$corpus"
  [ -d "$ROOT/fuzz/corpus/$t" ] && cp -n "$ROOT/fuzz/corpus/$t"/* "$corpus"/ 2>/dev/null || true
  log="$OUT/$t.log"
  if "$OUT/fuzz/$t" -max_total_time="$SECONDS_EACH" -timeout=5 -rss_limit_mb=1024 -print_final_stats=1 \
       -artifact_prefix="$OUT/$t-" "$corpus" >"$log" 2>&1; then
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
    echo "$t: $runs executions in ${SECONDS_EACH} s, no failure"
  else
    status=1
    echo "$t: FAILED, see $log" >&2
    tail -n 40 "$log" >&2
  fi
done
exit $status
