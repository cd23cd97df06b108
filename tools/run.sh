#!/usr/bin/env bash
# Runs the program against a local PostgreSQL with demo data: installs and
# builds what is missing, starts the server, creates vestra_erp once.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
. "$top/tools/pg.sh"

pg_use_lasting_server

if pg_create_enterprise_db vestra_erp "$top"; then
  echo "Filling vestra_erp with demo data..."
  pg_sys -d vestra_erp -f "$top/db/demo/generate.sql"
  pg_sys -d vestra_erp -c "SELECT demo.generate(${DEMO_SIZE:-40})" >/dev/null
else
  pg_update_enterprise_db vestra_erp "$top"
fi

exec "${BUILD_DIR:-$top/build}/app/piecework" "$@"
