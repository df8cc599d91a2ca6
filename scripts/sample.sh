#!/usr/bin/env bash
# Builds the sample database from its SQL text and a private user data source
# "Sample" for it. Usage: sample.sh DIR  (writes DIR/sample.db and DIR/odbc.ini)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/odbc-lib.sh"
dir="$1"
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
rm -f "$dir/sample.db"
sqlite3 "$dir/sample.db" < "$here/../sample/sample.sql"
cat > "$dir/odbc.ini" <<INI
[Sample]
Description = Vantiro sample database (SQLite)
Driver = $(odbc_driver libsqlite3odbc.so)
Database = $dir/sample.db
StepAPI = 1
INI
echo "$dir/odbc.ini"
