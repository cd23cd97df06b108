-- The enterprise database objects the workshop front end relies on.
-- Schemas, domains and the day-first date style.
CREATE SCHEMA IF NOT EXISTS accounts_dep;
CREATE SCHEMA IF NOT EXISTS cmn_contractor;
CREATE SCHEMA IF NOT EXISTS cmn_classifier;
CREATE SCHEMA IF NOT EXISTS cmn_gds_and_srv;
CREATE SCHEMA IF NOT EXISTS hrms_staffpos;
CREATE SCHEMA IF NOT EXISTS cmn_department;
CREATE SCHEMA IF NOT EXISTS adm_role;
CREATE SCHEMA IF NOT EXISTS hrms_timesheet;

-- Key and integer types of the enterprise system, used in casts of person codes.
CREATE DOMAIN public.t_id AS numeric(15, 0);
CREATE DOMAIN public.t_integer AS integer;

-- Date texts written into statements are day first (DD.MM.YYYY).
DO $$ BEGIN
  EXECUTE format('ALTER DATABASE %I SET datestyle TO %L', current_database(), 'ISO, DMY');
END $$;
SET datestyle TO 'ISO, DMY';
