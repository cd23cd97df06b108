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
pg_sys() { psql -X -q -w -v ON_ERROR_STOP=1 -h localhost -p "$PG_PORT" -U "$PG_USER" "$@"; }

# The SQL that makes sure the role the program logs in with exists
# (superuser: it creates the per-test databases) and reads dates day first.
pg_role_sql() {
  cat <<SQL
DO \$\$ BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '$PG_USER') THEN
    CREATE ROLE $PG_USER LOGIN SUPERUSER PASSWORD '$PG_PASSWORD';
  END IF;
END \$\$;
ALTER ROLE $PG_USER SET datestyle TO 'ISO, DMY';
SQL
}

# Makes sure the role exists, through the server's socket in folder $1.
pg_ensure_role() {
  local sock=$1
  pg_role_sql | pg_as_postgres psql -X -q -h "$sock" -p "$PG_PORT" -d postgres -v ON_ERROR_STOP=1
}

# True when the program's role logs in over TCP, as the program and the
# tests do, and may create databases.
pg_sys_works() {
  [ "$(pg_sys -d postgres -tAc "SELECT rolsuper FROM pg_roles WHERE rolname = current_user" 2>/dev/null)" = t ]
}

# The folders of the Unix sockets that servers listen on for port 5432.
pg_socket_dirs() {
  awk -v port=".s.PGSQL.$PG_PORT" '$NF ~ "/" && index($NF, port) { sub("/" port "$", "", $NF); print $NF }' /proc/net/unix 2>/dev/null | sort -u
}

# Makes the server that answers on port 5432 usable by the program: the
# role sys logs in over TCP, or is created through whatever way the server
# admits the postgres user (its socket wherever it is, or TCP). Says which
# server it uses; fails with an explanation when none of the ways works.
pg_prepare_running_server() {
  if pg_sys_works; then
    echo "Using the PostgreSQL server on localhost:$PG_PORT (role $PG_USER over TCP)."
    pg_role_sql | pg_sys -d postgres >/dev/null
    return 0
  fi
  local dir
  for dir in $(pg_socket_dirs); do
    if pg_ensure_role "$dir" >/dev/null 2>&1 && pg_sys_works; then
      echo "Using the PostgreSQL server on localhost:$PG_PORT (role $PG_USER made through the socket in $dir)."
      return 0
    fi
  done
  if pg_role_sql | PGPASSWORD= psql -X -q -w -h localhost -p "$PG_PORT" -U postgres -d postgres -v ON_ERROR_STOP=1 >/dev/null 2>&1 \
     && pg_sys_works; then
    echo "Using the PostgreSQL server on localhost:$PG_PORT (role $PG_USER made over TCP as postgres)."
    return 0
  fi
  echo "A PostgreSQL server answers on localhost:$PG_PORT, but the role $PG_USER (password in tools/pg.sh) cannot log in to it" >&2
  echo "over TCP, and neither its socket nor TCP lets the postgres user create the role. The program's connection uses" >&2
  echo "port $PG_PORT: stop that server, or create the superuser role $PG_USER with that password on it, and run again." >&2
  return 1
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

# Brings a kept database (made by an earlier version of the tree) up to the
# schema files that may be applied again: those from 05 on.
pg_update_enterprise_db() {
  local name=$1 top=$2 f
  for f in "$top"/db/schema/0[5-9]_*.sql "$top"/db/schema/[1-9][0-9]_*.sql; do
    [ -f "$f" ] || continue
    PGOPTIONS="-c client_min_messages=warning" pg_sys -d "$name" -f "$f" >/dev/null
  done
}

# A server for the program and the benchmarks that keeps its databases:
# the one already answering on 5432, else Debian's cluster "15 main".
pg_use_lasting_server() {
  if pg_ready; then
    pg_prepare_running_server
    return
  fi
  if ! pg_lsclusters -h 2>/dev/null | awk '{print $1, $2}' | grep -q '^15 main$'; then
    pg_createcluster 15 main >/dev/null
  fi
  pg_ctlcluster 15 main start
  pg_wait_ready
  pg_ensure_role /var/run/postgresql
  echo "Using Debian's PostgreSQL cluster 15 main on localhost:$PG_PORT."
}

# Drops the test databases left by test runs that ended without cleaning up
# (named pwt_<process id>_<n>; those of running processes stay).
pg_drop_stale_test_databases() {
  local db pid
  for db in $(pg_sys -d postgres -tAc "SELECT datname FROM pg_database WHERE datname LIKE 'pwt\\_%'"); do
    pid=${db#pwt_}; pid=${pid%%_*}
    if ! kill -0 "$pid" 2>/dev/null; then
      pg_sys -d postgres -c "DROP DATABASE IF EXISTS \"$db\" WITH (FORCE)" >/dev/null || true
    fi
  done
}
