SET client_min_messages = warning;

-- What the one-shot import from the old timesheet database needs of the
-- workshop's tables. Written so that it can be applied again to a database
-- that has it already: it then replaces the product view's trigger function
-- and changes nothing else.

-- The import replaces the tables one after another in a single
-- transaction, in an order where references are broken for a while
-- (operations are emptied while the old shift records still point at them,
-- operation kinds arrive after the operations), so the references are
-- checked at commit inside that transaction; everywhere else they stay
-- checked at once, as before.
DO $$
DECLARE
  c record;
BEGIN
  FOR c IN
    SELECT con.conname, con.conrelid::regclass AS tbl
      FROM pg_constraint con
     WHERE con.contype = 'f'
       AND con.connamespace = 'accounts_dep'::regnamespace
       AND NOT con.condeferrable
  LOOP
    EXECUTE format('ALTER TABLE %s ALTER CONSTRAINT %I DEFERRABLE INITIALLY IMMEDIATE', c.tbl, c.conname);
  END LOOP;
END $$;

-- The operation's price of the old layout. Not named `cena`: the shift
-- records' price is named so without its table in the statements that join
-- the records with their operations.
ALTER TABLE accounts_dep.oper ADD COLUMN IF NOT EXISTS cena_old double precision;

-- Old nomenclature rows arrive without a key: the table assigns one.
CREATE SEQUENCE IF NOT EXISTS accounts_dep.nomenkl_id_seq OWNED BY accounts_dep.nomenkl.id;
ALTER TABLE accounts_dep.nomenkl ALTER COLUMN id SET DEFAULT nextval('accounts_dep.nomenkl_id_seq');

-- Products written through the product view: a product becomes goods with
-- the same id, its mark as the caption, its quantity per piece, and the
-- nomenclature group named `nom` (the first group of that name, created
-- when there is none). Deleting a product deletes its goods row.
CREATE OR REPLACE FUNCTION accounts_dep.izdel_write() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
  grp numeric(15, 0);
BEGIN
  IF TG_OP = 'DELETE' THEN
    DELETE FROM cmn_gds_and_srv.gds_and_srv WHERE id = OLD.id;
    RETURN OLD;
  END IF;
  IF NULLIF(btrim(NEW.nom), '') IS NOT NULL THEN
    SELECT min(i.id) INTO grp
      FROM cmn_classifier.item i
     WHERE i.id_level = 2 AND i.s_caption = NEW.nom;
    IF grp IS NULL THEN
      INSERT INTO cmn_classifier.item (s_caption) VALUES (NEW.nom) RETURNING id INTO grp;
    END IF;
  END IF;
  INSERT INTO cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, id_class_item)
  VALUES (COALESCE(NEW.id, nextval('public.enterprise_id_seq')), NEW.marka, '', 6, NEW.massa, grp)
  RETURNING id INTO NEW.id;
  -- Keys that arrive with the row must not be handed out again later (the
  -- key is numeric, the sequence's value a bigint).
  IF NEW.id >= (SELECT last_value FROM public.enterprise_id_seq) THEN
    PERFORM setval('public.enterprise_id_seq', NEW.id::bigint);
  END IF;
  NEW.id_class_item := grp;
  NEW.id_nom := grp;
  RETURN NEW;
END $$;

CREATE OR REPLACE TRIGGER izdel_write
INSTEAD OF INSERT OR DELETE ON accounts_dep.izdel
FOR EACH ROW EXECUTE FUNCTION accounts_dep.izdel_write();
