SET client_min_messages = warning;

-- Closed months and what the month check needs to know. Written so that it
-- can be applied again to a database that has it already (the run and
-- benchmark commands apply it to the databases they keep).

-- A month whose pay was computed: no record, timesheet day or price of it
-- changes while its row is here. Opening the month deletes the row.
CREATE TABLE IF NOT EXISTS accounts_dep.closed_month (
  year      integer NOT NULL,
  month     integer NOT NULL CHECK (month BETWEEN 1 AND 12),
  closed_at timestamptz NOT NULL DEFAULT now(),
  closed_by varchar(254),
  PRIMARY KEY (year, month)
);

-- An average-piecework record whose price the month's average piece-rate
-- calculation set, and that has not changed since. The calculation runs
-- with the setting pw.average_rates on in its transaction; any other write
-- that changes the record clears the mark.
ALTER TABLE accounts_dep.fatigue ADD COLUMN IF NOT EXISTS price_by_average boolean NOT NULL DEFAULT false;

CREATE OR REPLACE FUNCTION accounts_dep.fatigue_average_mark() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
  IF coalesce(current_setting('pw.average_rates', true), '') = 'on' THEN
    NEW.price_by_average := true;
  ELSIF TG_OP = 'INSERT' THEN
    NEW.price_by_average := false;
  ELSE
    NEW.price_by_average := OLD.price_by_average;
    IF NEW IS DISTINCT FROM OLD THEN
      NEW.price_by_average := false;
    END IF;
  END IF;
  RETURN NEW;
END $$;

DROP TRIGGER IF EXISTS fatigue_average_mark ON accounts_dep.fatigue;
CREATE TRIGGER fatigue_average_mark BEFORE INSERT OR UPDATE ON accounts_dep.fatigue
  FOR EACH ROW EXECUTE FUNCTION accounts_dep.fatigue_average_mark();

-- The check reads a month of timesheet rows and records by date.
CREATE INDEX IF NOT EXISTS fatigue_o_d_date_idx ON accounts_dep.fatigue (id_o, d_date);
