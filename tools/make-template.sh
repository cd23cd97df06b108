#!/usr/bin/env bash
# (Re)builds the template database that every test copies its own database
# from: the schema of this tree plus the demo generator's functions.
# Usage: tools/make-template.sh [name]   (default pw_template; the tests read
# another name from PW_TEMPLATE). Needs a running server with the role sys.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/pg.sh"
name=${1:-pw_template}
PGOPTIONS="-c client_min_messages=warning" pg_sys -d postgres -c "DROP DATABASE IF EXISTS \"$name\" WITH (FORCE)" >/dev/null
pg_create_enterprise_db "$name" "$top" >/dev/null
pg_sys -d "$name" -f "$top/db/demo/generate.sql" >/dev/null
