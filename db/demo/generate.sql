-- Deterministic demo data. demo.generate(size [, last_month]) fills an empty
-- enterprise database: `size` workers, catalogs in proportion, and shift and
-- maintenance records with their timesheet rows for the months up to
-- last_month (the current month by default): 3 months for small sizes,
-- a year from 100 workers on. Records of the current month stop at today.
CREATE SCHEMA IF NOT EXISTS demo;

CREATE OR REPLACE FUNCTION demo.pick(arr text[], n integer) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT arr[1 + (n % array_length(arr, 1))] $$;

CREATE OR REPLACE FUNCTION demo.generate(size integer, last_month date DEFAULT date_trunc('month', current_date)::date)
RETURNS void LANGUAGE plpgsql AS $$
DECLARE
  surnames text[] := ARRAY['Иванов','Петров','Сидоров','Кузнецов','Смирнов','Попов','Васильев','Соколов',
    'Михайлов','Новиков','Фёдоров','Морозов','Волков','Алексеев','Лебедев','Семёнов','Егоров','Павлов',
    'Козлов','Степанов','Николаев','Орлов','Андреев','Макаров','Никитин','Захаров','Зайцев','Соловьёв',
    'Борисов','Яковлев','Григорьев','Романов','Воробьёв','Сергеев','Кузьмин','Фролов','Александров',
    'Дмитриев','Королёв','Гусев','Киселёв','Ильин','Максимов','Поляков','Сорокин','Виноградов','Ковалёв',
    'Белов','Медведев','Антонов','Тарасов','Жуков','Баранов','Филиппов','Комаров','Давыдов','Беляев',
    'Герасимов','Богданов','Осипов','Сидоренко','Матвеев','Титов','Марков','Миронов','Крылов','Куликов'];
  initials text[] := ARRAY['А','Б','В','Г','Д','Е','И','К','Л','М','Н','О','П','Р','С','Т','Ф','Ю','Я'];
  positions text[] := ARRAY['Станочник','Маляр','Сборщик','Слесарь','Упаковщик','Сварщик','Оператор линии','Разнорабочий'];
  groups text[] := ARRAY['Стулья','Столы','Шкафы','Полки','Тумбы','Кровати','Каркасы','Комплектующие','Фурнитура','Заготовки ДСП'];
  kinds text[] := ARRAY['Резка','Сверление','Сборка','Шлифовка','Упаковка','Сварка','Гибка','Фрезеровка','Окраска КРАСКА','Грунтовка КРАСКА','Полировка','Контроль'];
  n_workers integer := greatest(size, 3);
  n_groups integer := least(array_length(groups, 1), greatest(3, size / 10 + 3));
  n_products integer := greatest(6, size * 2);
  n_months integer := CASE WHEN size >= 100 THEN 12 ELSE 3 END;
  first_day date := (last_month - make_interval(months => n_months - 1))::date;
  end_day date := least((last_month + interval '1 month')::date, current_date + 1);
BEGIN
  PERFORM setseed(0.4242);
  UPDATE accounts_dep.ver SET d = 0, t = 0, delim = '.';

  -- Lookups of the worker editor.
  INSERT INTO cmn_department.department (s_code, s_caption) VALUES
    ('01', 'Цех №1'), ('02', 'Цех №2'), ('03', 'Малярный участок'), ('04', 'Склад');
  INSERT INTO hrms_staffpos.staffpos (s_code, s_caption, d_begin)
    SELECT lpad(i::text, 2, '0'), positions[i], date '2020-01-01' FROM generate_subscripts(positions, 1) i;
  INSERT INTO adm_role.roles (s_name, s_caption, b_active) VALUES
    ('master', 'Мастер смены', 'true'), ('worker', 'Рабочий', 'true'), ('store', 'Кладовщик', 'true');

  -- Workers ("Фамилия И.О."); the trigger adds their persons.
  INSERT INTO accounts_dep.person (fio, s_staffpos_hl)
    SELECT demo.pick(surnames, i * 7 + i / 67) || ' ' || demo.pick(initials, i * 5) || '.' || demo.pick(initials, i * 11 + 3) || '.',
           demo.pick(positions, i)
      FROM generate_series(0, n_workers - 1) i;

  -- Nomenclature groups and products.
  INSERT INTO cmn_classifier.item (id_classifier, id_level, s_code, s_caption)
    SELECT 1, 2, 'G' || i, groups[i] FROM generate_series(1, n_groups) i;
  INSERT INTO cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item)
    SELECT CASE i % 4 WHEN 0 THEN 'СТ-' WHEN 1 THEN 'ШК-' WHEN 2 THEN 'ПЛ-' ELSE 'ТМ-' END
             || lpad((100 + i)::text, 4, '0') || CASE WHEN i % 5 = 0 THEN '/' || (i % 7) ELSE '' END,
           '', 6, round((0.25 + (i % 12) * 0.125)::numeric, 6),
           (SELECT id FROM cmn_classifier.item WHERE s_code = 'G' || (1 + i % n_groups))
      FROM generate_series(1, n_products) i;
  -- The product that carries maintenance and average-piecework operations.
  INSERT INTO cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, id_class_item)
    VALUES (7777, 'Хоз. работы', '', 6, 0, (SELECT id FROM cmn_classifier.item WHERE s_code = 'G1'));

  -- Operation kinds, with the two fixed ones.
  INSERT INTO accounts_dep.vid_oper (vid) SELECT k FROM unnest(kinds) k;
  INSERT INTO accounts_dep.vid_oper (id, vid) VALUES (7777, 'хоз. работы'), (7778, 'ср. сдельная');
  PERFORM setval(pg_get_serial_sequence('accounts_dep.vid_oper', 'id'), 8000);

  -- Operations: every product gets three to five kinds, some in both types.
  INSERT INTO accounts_dep.oper (vid, i_id, naimen, cena_new)
    SELECT v.id, g.id::integer, t.naimen, 0
      FROM cmn_gds_and_srv.gds_and_srv g
      JOIN accounts_dep.vid_oper v ON v.id < 7777 AND (v.id + g.id::integer) % 3 = 0
      CROSS JOIN (VALUES (0::smallint), (1::smallint)) t(naimen)
     WHERE g.id <> 7777 AND (t.naimen = 0 OR (v.id + g.id::integer) % 2 = 0);
  INSERT INTO accounts_dep.oper (vid, i_id, naimen, cena_new) VALUES (7777, 7777, 0, 0), (7778, 7777, 0, 0);

  -- Norms: one to three per operation; hourly prices for the fixed kinds.
  INSERT INTO accounts_dep.norm (o_id, norma, prize, price)
    SELECT o.id, 50 * k, 0,
           CASE WHEN o.vid >= 7777 THEN 180 + 20 * k + (o.vid - 7777) * 40
                ELSE round((1 + random() * 40)::numeric, 4)::double precision END
      FROM accounts_dep.oper o
      CROSS JOIN generate_series(1, 3) k
     WHERE k <= 1 + o.id % 3;

  -- Shift records: each worker works one shift on working days (and some
  -- Saturdays), on one to three operations; a few do overtime.
  CREATE TEMP TABLE demo_ops ON COMMIT DROP AS
    SELECT row_number() OVER (ORDER BY o.id) AS n, o.id, o.i_id, o.vid,
           (SELECT min(price) FROM accounts_dep.norm WHERE o_id = o.id) AS price,
           upper(v.vid) LIKE '%КРАСКА%' AS painting
      FROM accounts_dep.oper o JOIN accounts_dep.vid_oper v ON v.id = o.vid
     WHERE o.vid < 7777;

  INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, "time", vvod, ok, prize)
    SELECT d, s.shift, p.id, op.i_id, op.id,
           round((op.price * CASE WHEN s.shift = 3 THEN 1.2 WHEN s.shift = 4 THEN 1.5 ELSE 1 END)::numeric, 4),
           20 + floor(random() * 180), CASE WHEN random() < 0.2 THEN floor(random() * 5) ELSE 0 END,
           CASE WHEN op.painting THEN (ARRAY[0, 5, 7, 9003, 1015])[1 + floor(random() * 5)::int] ELSE 0 END,
           CASE WHEN s.shift = 4 THEN 2 ELSE 8 / r.cnt END,
           d + time '16:30', CASE WHEN random() < 0.85 THEN 'ok' WHEN random() < 0.9 THEN 'no' ELSE 'ta' END, 0
      FROM generate_series(first_day, end_day - 1, interval '1 day') g(dd)
      CROSS JOIN LATERAL (SELECT g.dd::date AS d) dd
      JOIN accounts_dep.person p ON extract(isodow FROM d) < 6 OR (extract(isodow FROM d) = 6 AND p.id % 4 = 0)
      CROSS JOIN LATERAL (SELECT 1 + floor(random() * 3)::int AS cnt) r
      CROSS JOIN LATERAL (
        SELECT 1 + p.id % 3 AS shift, k FROM generate_series(1, r.cnt) k
        UNION ALL
        SELECT 4, 1 WHERE random() < 0.05) s
      JOIN demo_ops op ON op.n = 1 + (abs(hashint4(p.id * 1000 + s.k + extract(doy FROM d)::int)) % (SELECT count(*) FROM demo_ops))
     WHERE random() < 0.93;

  -- Maintenance and average-piecework records.
  INSERT INTO accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
    SELECT p.id, kind, (SELECT id FROM cmn_classifier.item WHERE s_code = 'G' || (1 + p.id % n_groups)),
           d, extract(month FROM d), extract(year FROM d), 1, 1 + floor(random() * 4),
           (SELECT min(price) FROM accounts_dep.norm n JOIN accounts_dep.oper o ON o.id = n.o_id WHERE o.vid = kind),
           CASE WHEN extract(isodow FROM d) >= 6 THEN 1 ELSE 0 END, CASE WHEN p.id % 3 = 2 THEN 1 ELSE 0 END
      FROM generate_series(first_day, end_day - 1, interval '1 day') g(dd)
      CROSS JOIN LATERAL (SELECT g.dd::date AS d) dd
      JOIN accounts_dep.person p ON random() < 0.04
      -- The kind follows the worker and the day (a lateral random() that
      -- names no outer column would be drawn once for all rows).
      CROSS JOIN LATERAL (SELECT CASE WHEN abs(hashint4(p.id * 1000 + extract(doy FROM d)::int)) % 10 < 6
                                      THEN 7777 ELSE 7778 END AS kind) kk;

  -- Timesheet rows consistent with the records: hours per worker and day.
  PERFORM demo.rebuild_timesheets();
END $$;

-- Rewrites every timesheet row from the shift and maintenance records.
CREATE OR REPLACE FUNCTION demo.rebuild_timesheets() RETURNS void LANGUAGE plpgsql AS $$
DECLARE
  days text := '';
  cols text := (SELECT string_agg('d' || n, ', ') FROM generate_series(1, 31) n);
  i integer;
BEGIN
  FOR i IN 1..31 LOOP
    days := days || format(', sum(h) FILTER (WHERE dd = %s)', i);
  END LOOP;
  DELETE FROM accounts_dep.h_tabel;
  EXECUTE 'INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, '
       || cols || ') '
       || 'SELECT w_id, smena, mm, yy' || days
       || ' FROM (SELECT w_id, smena, extract(month FROM data) mm, extract(year FROM data) yy,'
       || ' extract(day FROM data) dd, sum("time") h FROM accounts_dep.smena GROUP BY 1, 2, 3, 4, 5) s'
       || ' GROUP BY w_id, smena, mm, yy';
  EXECUTE 'INSERT INTO accounts_dep.h_tabel (w_id, i_type, i_night, month, year, '
       || cols || ') '
       || 'SELECT id_p, id_o, i_night, i_mnth, i_year' || days
       || ' FROM (SELECT id_p, id_o, i_night, i_mnth, i_year, extract(day FROM d_date) dd, sum(cnt) h'
       || ' FROM accounts_dep.fatigue GROUP BY 1, 2, 3, 4, 5, 6) f'
       || ' GROUP BY id_p, id_o, i_night, i_mnth, i_year';
END $$;
