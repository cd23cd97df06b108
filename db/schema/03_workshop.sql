-- The workshop's own tables.

-- Workers. A worker's code is the id here, and the same number is the id and
-- the code of his person in cmn_contractor.person (kept in step below).
CREATE TABLE accounts_dep.person (
  id            serial PRIMARY KEY,
  fio           varchar(254),
  s_staffpos_hl varchar(254)
);

CREATE TABLE accounts_dep.vid_oper (
  id  serial PRIMARY KEY,
  vid char(128)
);

CREATE TABLE accounts_dep.oper (
  id       serial PRIMARY KEY,
  vid      integer REFERENCES accounts_dep.vid_oper (id),
  i_id     integer,
  naimen   smallint,
  cena_new numeric DEFAULT 0
);
CREATE INDEX oper_i_id_idx ON accounts_dep.oper (i_id);
CREATE INDEX oper_vid_idx ON accounts_dep.oper (vid);

CREATE TABLE accounts_dep.norm (
  id    serial PRIMARY KEY,
  o_id  integer REFERENCES accounts_dep.oper (id) ON DELETE CASCADE,
  norma integer,
  prize integer,
  price double precision
);
CREATE INDEX norm_o_id_idx ON accounts_dep.norm (o_id);

CREATE TABLE accounts_dep.smena (
  id            serial PRIMARY KEY,
  data          date,
  smena         smallint,
  w_id          integer REFERENCES accounts_dep.person (id),
  i_id          integer,
  o_id          integer REFERENCES accounts_dep.oper (id),
  cena          double precision,
  kol_vo        numeric,
  brak          smallint,
  color         integer,
  "time"        integer,
  vvod          timestamp DEFAULT now(),
  ok            varchar(255),
  prize         double precision,
  id_doc        numeric(15, 0),
  id_doc_item   numeric(15, 0),
  f_gds_qty_use double precision,
  id_gds_use    numeric(15, 0),
  id_cons_use   numeric(15, 0)
);
CREATE INDEX smena_data_idx ON accounts_dep.smena (data, smena);
CREATE INDEX smena_w_id_idx ON accounts_dep.smena (w_id, data);
CREATE INDEX smena_o_id_idx ON accounts_dep.smena (o_id);
CREATE INDEX smena_i_id_idx ON accounts_dep.smena (i_id);

-- Timesheet rows. Typed rows are inserted without smena and must read back 0;
-- shift-keyed rows are inserted without i_type and i_night.
CREATE TABLE accounts_dep.h_tabel (
  id      serial PRIMARY KEY,
  w_id    integer,
  smena   smallint NOT NULL DEFAULT 0,
  i_type  integer NOT NULL DEFAULT 0,
  i_night integer NOT NULL DEFAULT 0,
  month   smallint,
  year    smallint,
  d1 integer, d2 integer, d3 integer, d4 integer, d5 integer, d6 integer, d7 integer,
  d8 integer, d9 integer, d10 integer, d11 integer, d12 integer, d13 integer, d14 integer,
  d15 integer, d16 integer, d17 integer, d18 integer, d19 integer, d20 integer, d21 integer,
  d22 integer, d23 integer, d24 integer, d25 integer, d26 integer, d27 integer, d28 integer,
  d29 integer, d30 integer, d31 integer
);
CREATE INDEX h_tabel_key_idx ON accounts_dep.h_tabel (year, month, w_id, smena);

-- Maintenance records.
CREATE TABLE accounts_dep.fatigue (
  id        serial PRIMARY KEY,
  id_p      numeric(15, 0),
  id_o      numeric(15, 0),
  id_nom    numeric(15, 0),
  d_date    date,
  i_mnth    integer,
  i_year    integer,
  i_smena   integer,
  cnt       integer,
  price     numeric(15, 4),
  i_holiday integer,
  i_night   integer
);
CREATE INDEX fatigue_d_date_idx ON accounts_dep.fatigue (d_date);
CREATE INDEX fatigue_id_p_idx ON accounts_dep.fatigue (id_p, d_date);

-- The version stamp: one row.
CREATE TABLE accounts_dep.ver (
  d     integer,
  t     integer,
  delim varchar(255)
);
INSERT INTO accounts_dep.ver (d, t, delim) VALUES (0, 0, '.');

-- Products as the workshop sees them: goods with their nomenclature group.
CREATE VIEW accounts_dep.izdel AS
SELECT g.id,
       g.s_caption::varchar(254) AS marka,
       i.s_caption::varchar(255) AS nom,
       g.massa::numeric(18, 6)   AS massa,
       g.id_class_item,
       g.id_class_item           AS id_nom
  FROM cmn_gds_and_srv.gds_and_srv g
  LEFT JOIN cmn_classifier.item i ON i.id = g.id_class_item;

-- Legacy objects, read only by the one-shot import and by unused queries.
CREATE TABLE accounts_dep.workers (
  id   integer PRIMARY KEY,
  fio  varchar(254),
  addr varchar(254)
);
CREATE TABLE accounts_dep.nomenkl (
  id    integer PRIMARY KEY,
  nom   varchar(255),
  marka varchar(254)
);
CREATE VIEW hrms_timesheet.v_timesheet_item AS
SELECT w_id AS id_employee, smena, month, year,
       d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
       d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31
  FROM accounts_dep.h_tabel;

CREATE FUNCTION accounts_dep.smena__accept_row(p_id integer) RETURNS void
LANGUAGE sql AS $$ UPDATE accounts_dep.smena SET ok = 'ok' WHERE id = p_id $$;
