#!/usr/bin/env bash
# The export benchmark in one command: builds in Release, makes a SQLite
# database and a private PostgreSQL server with 1,000,000 and 4,000,000 rows,
# and measures the export against a plain fetch loop and against isql.
# The last lines are the ratios, for each driver:
#   <driver> export/plain-fetch time ratio: R
#   <driver> export/isql time ratio: R
# Environment: VANTIRO_BENCH_ROWS (default "1000000 4000000"),
# VANTIRO_BENCH_REPEATS (default 5), VANTIRO_BENCH_DRIVERS (default "sqlite pg").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh
. scripts/odbc-lib.sh

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIRO_BENCH=ON -DVANTIRO_TESTS=OFF > /dev/null
cmake --build "$build" --target export_bench > /dev/null

work="$(mktemp -d /tmp/vantiro-bench.XXXXXX)"
pgbin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
pgdir="$work/pg"
cleanup() {
  if [ -d "$pgdir/data" ]; then
    runuser -u postgres -- "$pgbin/pg_ctl" -D "$pgdir/data" -m immediate stop > /dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"

drivers="${VANTIRO_BENCH_DRIVERS:-sqlite pg}"
pg_section=""
if [[ " $drivers " == *" pg "* ]]; then
  # A private server as scripts/test.sh starts it.
  mkdir -p "$pgdir"
  chown postgres "$pgdir"
  echo "vantiro-bench" > "$pgdir/pw"
  chown postgres "$pgdir/pw"
  port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
  runuser -u postgres -- "$pgbin/initdb" -D "$pgdir/data" -U postgres --pwfile="$pgdir/pw" \
    --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 > "$pgdir/initdb.log"
  runuser -u postgres -- "$pgbin/pg_ctl" -D "$pgdir/data" -l "$pgdir/server.log" -w \
    -o "-p $port -k $pgdir -c listen_addresses=127.0.0.1" start > /dev/null
  runuser -u postgres -- "$pgbin/psql" -h "$pgdir" -p "$port" -q -c "CREATE DATABASE vantiro_bench"
  export VANTIRO_BENCH_PG_USER=postgres VANTIRO_BENCH_PG_PASSWORD=vantiro-bench
  # A server cursor read in blocks, so that the driver does not hold the
  # whole result in memory (its default); the same for all three programs.
  pg_section="[BenchPg]
Driver = $(odbc_driver psqlodbca.so)
Servername = 127.0.0.1
Port = $port
Database = vantiro_bench
UseDeclareFetch = 1
Fetch = 10000
"
fi

# StepAPI: the SQLite driver steps through the result instead of loading it whole.
cat > "$work/odbc.ini" <<INI
[BenchSqlite]
Driver = $(odbc_driver libsqlite3odbc.so)
Database = $work/bench.db
StepAPI = 1

$pg_section
INI
export ODBCINI="$work/odbc.ini"
export VANTIRO_BENCH_DRIVERS="$drivers"
"$build/bench/export_bench" all "$work"
