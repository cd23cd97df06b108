#!/usr/bin/env bash
# Builds the project with its benchmarks, makes the database pw_bench (a year
# of data for 300 workers) once and the template the benchmarks copy scratch
# databases from, and runs every benchmark. A failing benchmark does not stop
# the others; the command exits non-zero at the end, naming those that failed.
# PW_BENCH_REBUILD=1 makes pw_bench anew.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
. "$top/tools/pg.sh"
pg_use_lasting_server

if [ "${PW_BENCH_REBUILD:-0}" = 1 ]; then
  pg_sys -d postgres -c "DROP DATABASE IF EXISTS pw_bench WITH (FORCE)" >/dev/null
fi
if pg_create_enterprise_db pw_bench "$top"; then
  echo "Generating a year of data for 300 workers..."
  pg_sys -d pw_bench -f "$top/db/demo/generate.sql"
  pg_sys -d pw_bench -c "SELECT demo.generate(300)" >/dev/null
  pg_sys -d pw_bench -c "VACUUM ANALYZE" >/dev/null
else
  pg_update_enterprise_db pw_bench "$top"
fi
"$top/tools/make-template.sh" "${PW_TEMPLATE:-pw_template}"

build=${BUILD_DIR:-$top/build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "Machine: $(nproc) cores; $(date -u '+%Y-%m-%d %H:%M UTC')"
failed=()
for b in "$build"/bench/bench_*; do
  # Only the benchmark programs: the build folder also holds their
  # generated-source folders.
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  if ! "$b"; then
    failed+=("$(basename "$b")")
  fi
  echo
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed benchmarks: ${failed[*]}" >&2
  exit 1
fi
echo "All benchmarks ran."
