#!/usr/bin/env bash
# Installs what is missing, builds Cartavo with its tests, starts a PostgreSQL server
# on loopback, runs every test headless and stops the server, also on failure.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" -DCARTAVO_TESTS=ON "$@"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

PGDIR="$(mktemp -d /tmp/cartavo-pg.XXXXXX)"
cleanup() { "$ROOT/scripts/pg-test-server.sh" stop "$PGDIR"; rm -rf "$PGDIR"; }
trap cleanup EXIT
PORT="$("$ROOT/scripts/pg-test-server.sh" start "$PGDIR")"
psql -h 127.0.0.1 -p "$PORT" -U postgres -qc 'CREATE DATABASE cartavo_test' >/dev/null

# What the tests read to reach the server; a test that finds these unset is skipped.
export CARTAVO_TEST_PG="Provider=PostgreSQL;Server=127.0.0.1;Port=$PORT;Database=cartavo_test;User ID=postgres"
export CARTAVO_TEST_PG_PORT="$PORT"
export CARTAVO_TEST_PG_DIR="$PGDIR"
export QT_QPA_PLATFORM=offscreen

cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" --timeout 600
