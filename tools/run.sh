#!/usr/bin/env bash
# Runs the program against a local PostgreSQL with demo data: installs and
# builds what is missing, starts the server, creates vestra_erp once.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
. "$top/tools/pg.sh"

if ! pg_ready; then
  if ! pg_lsclusters -h 2>/dev/null | awk '{print $1, $2}' | grep -q '^15 main$'; then
    pg_createcluster 15 main >/dev/null
  fi
  pg_ctlcluster 15 main start
  pg_wait_ready
fi
pg_ensure_role /var/run/postgresql

if pg_create_enterprise_db vestra_erp "$top"; then
  echo "Filling vestra_erp with demo data..."
  pg_sys -d vestra_erp -f "$top/db/demo/generate.sql"
  pg_sys -d vestra_erp -c "SELECT demo.generate(${DEMO_SIZE:-40})" >/dev/null
fi

exec "${BUILD_DIR:-$top/build}/app/piecework" "$@"
