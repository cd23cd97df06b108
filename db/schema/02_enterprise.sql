-- Tables of the wider enterprise system: persons, classifier, goods, lookups.

CREATE SEQUENCE public.enterprise_id_seq START 1000;

CREATE TABLE cmn_contractor.person (
  id        integer PRIMARY KEY,
  s_caption varchar(254),
  s_code    text
);
CREATE INDEX person_s_code_idx ON cmn_contractor.person (s_code);

CREATE TABLE cmn_classifier.item (
  id              numeric(15, 0) PRIMARY KEY DEFAULT nextval('public.enterprise_id_seq'),
  id_classifier   numeric(15, 0),
  id_parent       numeric(15, 0),
  id_level        numeric(15, 0) NOT NULL DEFAULT 2,
  s_code          varchar(254),
  s_caption       varchar(254),
  s_description   varchar(4000),
  b_excluded      varchar(5),
  d_excluded_date date
);

CREATE TABLE cmn_gds_and_srv.gds_and_srv (
  id            numeric(15, 0) PRIMARY KEY DEFAULT nextval('public.enterprise_id_seq'),
  s_caption     text,
  s_description text,
  id_msm_bs     integer,
  massa         numeric(18, 6),
  id_class_item numeric(15, 0) REFERENCES cmn_classifier.item (id)
);

CREATE TABLE hrms_staffpos.staffpos (
  id            numeric(15, 0) PRIMARY KEY DEFAULT nextval('public.enterprise_id_seq'),
  id_department numeric(15, 0),
  s_code        varchar(254),
  s_caption     varchar(254),
  d_begin       date,
  d_end         date,
  s_description varchar(4000)
);

CREATE TABLE cmn_department.department (
  id            numeric(15, 0) PRIMARY KEY DEFAULT nextval('public.enterprise_id_seq'),
  id_branch     numeric(15, 0),
  id_parent     numeric(15, 0),
  s_code        varchar(254),
  s_caption     varchar(254),
  s_description varchar(4000)
);

CREATE TABLE adm_role.roles (
  id        numeric(15, 0) PRIMARY KEY DEFAULT nextval('public.enterprise_id_seq'),
  s_name    varchar(30),
  s_caption varchar(254),
  d_begin   date,
  d_end     date,
  b_active  varchar(5)
);
