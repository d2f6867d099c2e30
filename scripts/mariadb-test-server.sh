#!/usr/bin/env bash
# Starts or stops a throw-away MariaDB server on loopback for the tests, reached over
# TCP only by a user with a password, as a client of the ODBC driver would be.
#   mariadb-test-server.sh start DIR   -> prints "PORT" on success
#   mariadb-test-server.sh stop DIR
# As root the server runs as the mysql user: mariadbd refuses root without --user.
set -euo pipefail
cmd="$1"; DIR="$2"
USER_NAME=cartavo
PASSWORD=cartavo-test

owner() { [ "$(id -u)" -eq 0 ] && echo mysql || id -un; }

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

client() { mariadb --no-defaults --socket="$DIR/mysqld.sock" -u root "$@"; }

case "$cmd" in
  start)
    mkdir -p "$DIR"
    chmod 755 "$DIR"
    [ "$(id -u)" -eq 0 ] && chown mysql:mysql "$DIR"
    port="$(free_port)"
    mariadb-install-db --no-defaults --user="$(owner)" --datadir="$DIR/data" --auth-root-authentication-method=socket \
      --skip-test-db >"$DIR/install.log" 2>&1
    echo "$port" >"$DIR/port"
    # No durability is needed of a database that lives for one run.
    mariadbd --no-defaults --user="$(owner)" --datadir="$DIR/data" --socket="$DIR/mysqld.sock" \
      --pid-file="$DIR/mysqld.pid" --log-error="$DIR/server.log" --port="$port" --bind-address=127.0.0.1 \
      --skip-name-resolve --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 --innodb-buffer-pool-size=256M \
      --character-set-server=utf8mb4 --max-connections=500 </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 300); do
      client -e 'SELECT 1' >/dev/null 2>&1 && break
      sleep 0.1
    done
    client -e "SELECT 1" >/dev/null || { cat "$DIR/server.log" >&2; exit 1; }
    # The tests make a database of their own each, so the user may make and drop any.
    client -e "CREATE USER '$USER_NAME'@'127.0.0.1' IDENTIFIED BY '$PASSWORD';
               GRANT ALL PRIVILEGES ON *.* TO '$USER_NAME'@'127.0.0.1';
               CREATE DATABASE cartavo_test;"
    echo "$port"
    ;;
  stop)
    if [ -f "$DIR/mysqld.pid" ]; then
      pid="$(cat "$DIR/mysqld.pid")"
      kill -9 "$pid" 2>/dev/null || true
      while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    fi
    ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
