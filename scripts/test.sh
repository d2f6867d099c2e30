#!/usr/bin/env bash
# Installs what is missing, builds Cartavo with its tests, starts a PostgreSQL and a
# MariaDB server on loopback and runs every test headless, then builds the same suite with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs it again against the same
# servers, and last runs every fuzz target briefly. The servers are stopped also on failure.
#   BUILD_DIR=build (the sanitizer build goes to $BUILD_DIR-sanitize)
#   CARTAVO_PASSES="plain sanitize fuzz" (any of them alone for a quicker run)
#   FUZZ_SECONDS=10 (each fuzz target)
#   scripts/test.sh [cmake options...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
PASSES="${CARTAVO_PASSES:-plain sanitize fuzz}"
"$ROOT/scripts/setup.sh"

build() { BUILD_DIR="$1" "$ROOT/scripts/build.sh" -DCARTAVO_TESTS=ON "${@:2}"; }
for pass in $PASSES; do
  case "$pass" in
    plain) build "$BUILD_DIR" -DCARTAVO_SANITIZE=OFF "$@" ;;
    sanitize) build "$BUILD_DIR-sanitize" -DCARTAVO_SANITIZE=ON "$@" ;;
    fuzz) ;;
    *) echo "unknown pass: $pass" >&2; exit 2 ;;
  esac
done

# Both servers' folders in one, gone at the end whatever happens.
RUNDIR="$(mktemp -d /tmp/cartavo-test.XXXXXX)"
chmod 755 "$RUNDIR"
PGDIR="$RUNDIR/pg" MDBDIR="$RUNDIR/mariadb"
cleanup() {
  "$ROOT/scripts/pg-test-server.sh" stop "$PGDIR"
  "$ROOT/scripts/mariadb-test-server.sh" stop "$MDBDIR"
  rm -rf "$RUNDIR"
}
trap cleanup EXIT
PORT="$("$ROOT/scripts/pg-test-server.sh" start "$PGDIR")"
psql -h 127.0.0.1 -p "$PORT" -U postgres -qc 'CREATE DATABASE cartavo_test' >/dev/null
MDBPORT="$("$ROOT/scripts/mariadb-test-server.sh" start "$MDBDIR")"
MDBDRIVER="$(odbcinst -q -d | tr -d '[]' | grep -m1 -i mariadb)"

# What the tests read to reach the servers; a test that finds these unset is skipped.
export CARTAVO_TEST_PG="Provider=PostgreSQL;Server=127.0.0.1;Port=$PORT;Database=cartavo_test;User ID=postgres"
export CARTAVO_TEST_PG_PORT="$PORT"
export CARTAVO_TEST_MARIADB="Provider=ODBC;DRIVER={$MDBDRIVER};Server=127.0.0.1;Port=$MDBPORT;Database=cartavo_test;Uid=cartavo;Pwd=cartavo-test"
# The same server as a data source of the user's odbc.ini, the run's own.
printf '[cartavo_mariadb]\nDriver=%s\nServer=127.0.0.1\nPort=%s\nDatabase=cartavo_test\nUser=cartavo\nPassword=cartavo-test\n' \
  "$MDBDRIVER" "$MDBPORT" >"$RUNDIR/odbc.ini"
export ODBCINI="$RUNDIR/odbc.ini" CARTAVO_TEST_MARIADB_DSN=cartavo_mariadb
export QT_QPA_PLATFORM=offscreen

run_suite() { (cd "$1" && ctest --output-on-failure -j"$(nproc)" --timeout 900); }
for pass in $PASSES; do
  case "$pass" in
    plain) echo "== tests"; run_suite "$BUILD_DIR" ;;
    sanitize)
      echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
      # Any report fails the test that made it. Leaks inside the system's own
      # libraries are left out by lsan.supp, never ours.
      ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
      LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        run_suite "$BUILD_DIR-sanitize" ;;
    fuzz)
      echo "== fuzz targets, ${FUZZ_SECONDS:-10} s each"
      FUZZ_SECONDS="${FUZZ_SECONDS:-10}" FUZZ_DIR="$BUILD_DIR-fuzz" "$ROOT/scripts/fuzz.sh" ;;
  esac
done
