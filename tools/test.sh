#!/usr/bin/env bash
# Builds the project and runs every test against a real PostgreSQL server:
# uses the one on port 5432 if it runs, otherwise starts a throwaway server
# and stops it afterwards. Exits non-zero when anything fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
. "$top/tools/pg.sh"

tmpdir=""
cleanup() {
  if [ -n "$tmpdir" ]; then
    pg_as_postgres "$PG_BIN/pg_ctl" -D "$tmpdir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$tmpdir"
  fi
}
trap cleanup EXIT

if pg_ready; then
  sock=/var/run/postgresql
else
  tmpdir=$(mktemp -d /tmp/pw-test-pg.XXXXXX)
  chown postgres "$tmpdir"
  pg_as_postgres "$PG_BIN/initdb" -D "$tmpdir/data" -U postgres --auth-local=trust --auth-host=scram-sha-256 \
    --encoding=UTF8 --locale=C.UTF-8 >/dev/null
  pg_as_postgres "$PG_BIN/pg_ctl" -D "$tmpdir/data" -l "$tmpdir/log" -w \
    -o "-p $PG_PORT -k $tmpdir -c listen_addresses=localhost -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" start >/dev/null
  sock=$tmpdir
fi
pg_wait_ready
pg_ensure_role "$sock"

# The template every test copies its own database from, rebuilt each run.
"$top/tools/make-template.sh" "${PW_TEMPLATE:-pw_template}"
# Leftovers of an interrupted run.
for db in $(pg_sys -d postgres -tAc "SELECT datname FROM pg_database WHERE datname LIKE 'pwt\\_%'"); do
  pg_sys -d postgres -c "DROP DATABASE IF EXISTS \"$db\"" >/dev/null
done

cd "${BUILD_DIR:-$top/build}"
ctest --output-on-failure -j"$(nproc)" "$@"
