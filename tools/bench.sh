#!/usr/bin/env bash
# Builds the benchmarks, makes the database pw_bench (a year of data for
# 300 workers) once, and runs them. PW_BENCH_REBUILD=1 makes it anew.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
. "$top/tools/pg.sh"
if ! pg_ready; then
  pg_ctlcluster 15 main start
  pg_wait_ready
fi
pg_ensure_role /var/run/postgresql
if [ "${PW_BENCH_REBUILD:-0}" = 1 ]; then
  pg_sys -d postgres -c "DROP DATABASE IF EXISTS pw_bench WITH (FORCE)" >/dev/null
fi
if pg_create_enterprise_db pw_bench "$top"; then
  echo "Generating a year of data for 300 workers..."
  pg_sys -d pw_bench -f "$top/db/demo/generate.sql"
  pg_sys -d pw_bench -c "SELECT demo.generate(300)" >/dev/null
  pg_sys -d pw_bench -c "VACUUM ANALYZE" >/dev/null
fi
build=${BUILD_DIR:-$top/build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
  echo
done
