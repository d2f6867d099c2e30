#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL 15 server on loopback for the tests.
#   pg-test-server.sh start DIR   -> prints "PORT" on success
#   pg-test-server.sh stop DIR
#   pg-test-server.sh restart DIR -> starts a stopped server again on its port
#   pg-test-server.sh keep DIR    -> prints "PORT": a server whose data stay in DIR
#                                    from run to run, made the first time only
# As root the server runs as the postgres user, which initdb and postgres require.
set -euo pipefail
BIN=/usr/lib/postgresql/15/bin
cmd="$1"; DIR="$2"

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then su postgres -s /bin/bash -c "$1"; else bash -c "$1"; fi
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

serve() {
  as_owner "$BIN/pg_ctl -D '$DIR/data' -l '$DIR/server.log' -o '-p $port -k $DIR -c listen_addresses=127.0.0.1 -c fsync=off ${1:-}' -w start" >/dev/null
}

init() {
  mkdir -p "$DIR"
  chmod 755 "$DIR"
  [ "$(id -u)" -eq 0 ] && chown postgres:postgres "$DIR"
  as_owner "$BIN/initdb -D '$DIR/data' -U postgres -A trust -E UTF8 --locale=C.UTF-8" >"$DIR/initdb.log" 2>&1
  # One role must give its password, for the tests of a wrong one; all others are trusted.
  as_owner "sed -i '1i host all cartavo_password 127.0.0.1/32 scram-sha-256' '$DIR/data/pg_hba.conf'"
}

case "$cmd" in
  start)
    init
    port="$(free_port)"
    echo "$port" >"$DIR/port"
    serve
    echo "$port"
    ;;
  keep)
    [ -f "$DIR/data/PG_VERSION" ] || init
    touch "$DIR/kept"
    port="$(free_port)"
    echo "$port" >"$DIR/port"
    # A table filled in the transaction that creates it then writes no WAL.
    serve "-c wal_level=minimal -c max_wal_senders=0"
    echo "$port"
    ;;
  restart)
    port="$(cat "$DIR/port")"
    serve
    ;;
  stop)
    # A kept server stops cleanly, so that its next start has no WAL to replay.
    mode=immediate
    [ -f "$DIR/kept" ] && mode=fast
    [ -d "$DIR/data" ] && as_owner "$BIN/pg_ctl -D '$DIR/data' -m $mode -w stop" >/dev/null 2>&1 || true
    ;;
  *) echo "usage: $0 start|stop|restart|keep DIR" >&2; exit 2 ;;
esac
