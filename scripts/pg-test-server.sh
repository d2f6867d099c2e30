#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL 15 server on loopback for the tests.
#   pg-test-server.sh start DIR   -> prints "PORT" on success
#   pg-test-server.sh stop DIR
#   pg-test-server.sh restart DIR -> starts a stopped server again on its port
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
  as_owner "$BIN/pg_ctl -D '$DIR/data' -l '$DIR/server.log' -o '-p $port -k $DIR -c listen_addresses=127.0.0.1 -c fsync=off' -w start" >/dev/null
}

case "$cmd" in
  start)
    mkdir -p "$DIR"
    chmod 755 "$DIR"
    [ "$(id -u)" -eq 0 ] && chown postgres:postgres "$DIR"
    port="$(free_port)"
    as_owner "$BIN/initdb -D '$DIR/data' -U postgres -A trust -E UTF8 --locale=C.UTF-8" >"$DIR/initdb.log" 2>&1
    # One role must give its password, for the tests of a wrong one; all others are trusted.
    as_owner "sed -i '1i host all cartavo_password 127.0.0.1/32 scram-sha-256' '$DIR/data/pg_hba.conf'"
    echo "$port" >"$DIR/port"
    serve
    echo "$port"
    ;;
  restart)
    port="$(cat "$DIR/port")"
    serve
    ;;
  stop)
    [ -d "$DIR/data" ] && as_owner "$BIN/pg_ctl -D '$DIR/data' -m immediate -w stop" >/dev/null 2>&1 || true
    ;;
  *) echo "usage: $0 start|stop|restart DIR" >&2; exit 2 ;;
esac
