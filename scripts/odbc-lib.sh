# Sourced by the scripts: where the ODBC drivers of this machine live.
odbc_driver() {  # odbc_driver libsqlite3odbc.so
  local f
  for f in /usr/lib/*/odbc/"$1" /usr/lib/odbc/"$1" /usr/lib64/odbc/"$1"; do
    [ -e "$f" ] && { echo "$f"; return 0; }
  done
  echo "ODBC driver $1 not found" >&2
  return 1
}
