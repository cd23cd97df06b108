#!/usr/bin/env bash
# Helpers around the local PostgreSQL 15 server on port 5432.
# Sourced by run.sh and test.sh.
PG_BIN=/usr/lib/postgresql/15/bin
PG_PORT=5432
PG_USER=sys
PG_PASSWORD=vumbrex
export PGPASSWORD=$PG_PASSWORD

pg_as_postgres() { runuser -u postgres -- "$@"; }

pg_ready() { "$PG_BIN/pg_isready" -q -h localhost -p "$PG_PORT"; }

pg_wait_ready() {
  for _ in $(seq 1 60); do pg_ready && return 0; sleep 0.5; done
  echo "PostgreSQL did not come up on port $PG_PORT" >&2; return 1
}

# psql as the application role over TCP, stopping at the first error.
pg_sys() { psql -X -q -v ON_ERROR_STOP=1 -h localhost -p "$PG_PORT" -U "$PG_USER" "$@"; }

# Makes sure the role the program logs in with exists (superuser: it creates
# the per-test databases).
pg_ensure_role() {
  local sock=$1
  pg_as_postgres psql -X -q -h "$sock" -p "$PG_PORT" -d postgres -v ON_ERROR_STOP=1 <<SQL
DO \$\$ BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '$PG_USER') THEN
    CREATE ROLE $PG_USER LOGIN SUPERUSER PASSWORD '$PG_PASSWORD';
  END IF;
END \$\$;
ALTER ROLE $PG_USER SET datestyle TO 'ISO, DMY';
SQL
}

# Creates database $1 (ICU Russian collation, so that upper() and sorting
# handle Cyrillic) with the schema, unless it exists. Returns 0 when created.
pg_create_enterprise_db() {
  local name=$1 top=$2
  if pg_sys -d postgres -tAc "SELECT 1 FROM pg_database WHERE datname = '$name'" | grep -q 1; then
    return 1
  fi
  pg_sys -d postgres -c "CREATE DATABASE \"$name\" TEMPLATE template0 ENCODING 'UTF8' LOCALE_PROVIDER icu ICU_LOCALE 'ru-RU' LOCALE 'C.UTF-8'"
  for f in "$top"/db/schema/*.sql; do pg_sys -d "$name" -f "$f"; done
  return 0
}
