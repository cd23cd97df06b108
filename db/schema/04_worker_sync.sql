-- A worker inserted, renamed or deleted in accounts_dep.person is inserted,
-- renamed or deleted as a person of the enterprise system with the same id
-- and code, so that the journal can show him at once.
CREATE FUNCTION accounts_dep.person_sync() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
  IF TG_OP = 'INSERT' THEN
    INSERT INTO cmn_contractor.person (id, s_caption, s_code)
    VALUES (NEW.id, NEW.fio, NEW.id::text)
    ON CONFLICT (id) DO UPDATE SET s_caption = EXCLUDED.s_caption, s_code = EXCLUDED.s_code;
    RETURN NEW;
  ELSIF TG_OP = 'UPDATE' THEN
    IF NEW.id <> OLD.id THEN
      DELETE FROM cmn_contractor.person WHERE id = OLD.id;
      INSERT INTO cmn_contractor.person (id, s_caption, s_code)
      VALUES (NEW.id, NEW.fio, NEW.id::text)
      ON CONFLICT (id) DO UPDATE SET s_caption = EXCLUDED.s_caption, s_code = EXCLUDED.s_code;
    ELSE
      UPDATE cmn_contractor.person SET s_caption = NEW.fio WHERE id = NEW.id;
    END IF;
    RETURN NEW;
  ELSE
    DELETE FROM cmn_contractor.person WHERE id = OLD.id;
    RETURN OLD;
  END IF;
END $$;

CREATE TRIGGER person_sync
AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.person
FOR EACH ROW EXECUTE FUNCTION accounts_dep.person_sync();
