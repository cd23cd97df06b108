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
  pg_prepare_running_server
else
  tmpdir=$(mktemp -d /tmp/pw-test-pg.XXXXXX)
  chown postgres "$tmpdir"
  pg_as_postgres "$PG_BIN/initdb" -D "$tmpdir/data" -U postgres --auth-local=trust --auth-host=scram-sha-256 \
    --encoding=UTF8 --locale=C.UTF-8 >/dev/null
  pg_as_postgres "$PG_BIN/pg_ctl" -D "$tmpdir/data" -l "$tmpdir/log" -w \
    -o "-p $PG_PORT -k $tmpdir -c listen_addresses=localhost -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" start >/dev/null
  pg_wait_ready
  pg_ensure_role "$tmpdir"
  echo "Using a throwaway PostgreSQL server on localhost:$PG_PORT (data in $tmpdir, stopped afterwards)."
fi

# The template every test copies its own database from, rebuilt each run.
"$top/tools/make-template.sh" "${PW_TEMPLATE:-pw_template}"
# Leftovers of interrupted runs.
pg_drop_stale_test_databases

cd "${BUILD_DIR:-$top/build}"
status=0
ctest --output-on-failure -j"$(nproc)" "$@" || status=1
# Once more as cron, services and bare ssh sessions start the program: no
# language setting, so the C library's character set is plain ASCII.
echo "The tests again under LANG=C, without LC_ALL and LC_CTYPE:"
env -u LC_ALL -u LC_CTYPE -u LANGUAGE LANG=C ctest --output-on-failure -j"$(nproc)" "$@" || status=1
exit $status
