#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, starts a private PostgreSQL server on 127.0.0.1,
# runs every test with ctest and stops the server, also when a test fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTIRO_SANITIZE=ON > /dev/null
cmake --build "$build"

# --- private PostgreSQL server
pgbin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
pgdir="$(mktemp -d /tmp/vantiro-pg.XXXXXX)"
chown postgres "$pgdir"
stop_pg() {
  runuser -u postgres -- "$pgbin/pg_ctl" -D "$pgdir/data" -m immediate stop > /dev/null 2>&1 || true
  rm -rf "$pgdir"
}
trap stop_pg EXIT
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
pwfile="$pgdir/pw"
echo "vantiro-test" > "$pwfile"
chown postgres "$pwfile"
runuser -u postgres -- "$pgbin/initdb" -D "$pgdir/data" -U postgres --pwfile="$pwfile" \
  --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 > "$pgdir/initdb.log"
runuser -u postgres -- "$pgbin/pg_ctl" -D "$pgdir/data" -l "$pgdir/server.log" -w \
  -o "-p $port -k $pgdir -c listen_addresses=127.0.0.1" start > /dev/null
runuser -u postgres -- "$pgbin/psql" -h "$pgdir" -p "$port" -q -c "CREATE DATABASE vantiro_test"

export VANTIRO_PG_PORT="$port"
export VANTIRO_PG_USER=postgres
export VANTIRO_PG_PASSWORD=vantiro-test
export VANTIRO_PG_DATABASE=vantiro_test
export VANTIRO_REQUIRE_PG=1

# Short fuzzing runs of the byte-level parsers (longer runs: see the README).
if [ -x scripts/fuzz.sh ]; then
  scripts/fuzz.sh 5
fi

cd "$build"
ctest --output-on-failure -j2
