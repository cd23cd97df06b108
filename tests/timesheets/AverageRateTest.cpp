// The average piece-rate calculation of the maintenance works journal: the
// month's average-piecework records get the worker's piece earnings per
// hour on their group, with the record's own day-off and night factors.
#include "tests/timesheets/MaintenanceFixture.h"
#include "ledger/MaintenanceJournal.h"

namespace {

using AverageRateTest = MaintenanceTest;

QString priceOf(TestDatabase& db, int id)
{
    return db.scalar(QStringLiteral("select price::float8::text from accounts_dep.fatigue where id=%1").arg(id)).toString();
}

} // namespace

TEST_F(AverageRateTest, PiecesTimesPriceOverHoursWithTheRecordsOwnFactors)
{
    const QDate day(2026, 3, 10);
    // Worker 1 in March on group 501: (12 - 2) pieces at 50 over 3 + 2 hours.
    addShiftRecord(t.database, 1, QDate(2026, 3, 2), 12, 2, "50", 3);
    addShiftRecord(t.database, 1, QDate(2026, 3, 31), 0, 0, "50", 2);
    // Not counted: another group, another worker, the months around.
    addShiftRecord(t.database, 1, QDate(2026, 3, 3), 10, 0, "900", 1, 101);
    addShiftRecord(t.database, 2, QDate(2026, 3, 3), 10, 0, "900", 1);
    addShiftRecord(t.database, 1, QDate(2026, 2, 28), 10, 0, "900", 1);
    addShiftRecord(t.database, 1, QDate(2026, 4, 1), 10, 0, "900", 1);

    struct Case {
        int worker, kind, group, holiday, night;
        QDate date;
        QString priceAfter;
    };
    const Case cases[] = {
        {1, 7778, 501, 0, 0, day, "100"},
        {1, 7778, 501, 1, 0, QDate(2026, 3, 1), "200"},   // a day off: twice
        {1, 7778, 501, 0, 1, QDate(2026, 3, 31), "120"},  // night: a fifth more
        {1, 7778, 501, 1, 1, day, "220"},                 // both: the factors add
        {1, 7778, 502, 0, 0, day, "9000"},                // his other group
        {2, 7778, 502, 0, 0, day, "0"},                   // no shift records of that group
        {1, 7777, 501, 0, 0, day, "150"},                 // maintenance work keeps its price
        {1, 7778, 501, 0, 0, QDate(2026, 4, 1), "150"},   // another month
    };
    QVector<int> ids;
    for (const Case& c : cases)
        ids << addFatigue(t.database, c.worker, c.kind, c.group, c.date, 4, "150", c.holiday, c.night);
    const QString hoursBefore = t.database.scalar("select string_agg(cnt::text, ',' order by id) from accounts_dep.fatigue")
                                    .toString();

    const MaintenanceJournal::RateOutcome outcome = MaintenanceJournal::calculateAverageRates(dm(), day);

    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(priceOf(t.database, ids[i]), cases[i].priceAfter) << "case " << i;
    EXPECT_EQ(outcome.priced, 6);
    EXPECT_EQ(outcome.zero, 1);
    EXPECT_EQ(MaintenanceJournal::outcomeMessage(outcome, day),
              "Ср. сдельная за 03.2026 рассчитана: записей с новой ценой — 6.\n"
              "Из них 1 получили цену 0: у работника нет сменных часов по этой группе в месяце.");
    EXPECT_EQ(t.database.scalar("select string_agg(cnt::text, ',' order by id) from accounts_dep.fatigue").toString(),
              hoursBefore);
}

TEST_F(AverageRateTest, DecemberIsBoundedByTheFirstOfJanuaryOfTheNextYear)
{
    const QDate day(2026, 12, 15);
    addShiftRecord(t.database, 1, QDate(2026, 12, 1), 10, 0, "30", 2);
    addShiftRecord(t.database, 1, QDate(2026, 12, 31), 10, 0, "30", 1);
    addShiftRecord(t.database, 1, QDate(2026, 11, 30), 10, 0, "900", 1);
    addShiftRecord(t.database, 1, QDate(2027, 1, 1), 10, 0, "900", 1);
    const int december = addFatigue(t.database, 1, 7778, 501, day, 4, "150");
    const int january = addFatigue(t.database, 1, 7778, 501, QDate(2027, 1, 1), 4, "150");
    const int lastDecember = addFatigue(t.database, 1, 7778, 501, QDate(2025, 12, 15), 4, "150");

    MaintenanceJournal::calculateAverageRates(dm(), day);
    EXPECT_EQ(priceOf(t.database, december), "200");   // 20 x 30 / 3
    EXPECT_EQ(priceOf(t.database, january), "150");
    EXPECT_EQ(priceOf(t.database, lastDecember), "150");
}

TEST_F(AverageRateTest, TheButtonPricesTheMonthTellsWhatItDidAndIsAllOrNothing)
{
    const QDate day(2026, 3, 10);
    addShiftRecord(t.database, 1, QDate(2026, 3, 2), 10, 0, "50", 5);
    const int priced = addFatigue(t.database, 1, 7778, 501, day, 4, "150");
    const int other = addFatigue(t.database, 2, 7778, 501, QDate(2026, 3, 20), 4, "150");
    openJournal(day);
    ASSERT_TRUE(j().fatigue.locate("id", priced));

    // A record that may not be repriced stops the whole calculation.
    const QString refused = refuseWrites(t.database, "accounts_dep.fatigue", "update", "new.id_p = 2");
    ASSERT_FALSE(refused.isEmpty());
    t.dialogs.expectBox(MessageKind::Error, refused);
    j().Button1->click();
    EXPECT_EQ(priceOf(t.database, priced), "150");
    EXPECT_EQ(priceOf(t.database, other), "150");

    t.database.exec("drop trigger refused on accounts_dep.fatigue");
    t.dialogs.expectBox(MessageKind::Information,
                        "Ср. сдельная за 03.2026 рассчитана: записей с новой ценой — 2.\n"
                        "Из них 1 получили цену 0: у работника нет сменных часов по этой группе в месяце.",
                        QMessageBox::Ok, "Расчет ср.сд.");
    j().Button1->click();
    EXPECT_EQ(priceOf(t.database, priced), "100");
    EXPECT_EQ(priceOf(t.database, other), "0");
    // The list shows the new price and stays on its row.
    EXPECT_EQ(shownRows(), QStringList{"Иванов И.И.|Стулья|ср. сдельная|100|4|400,00||"});
    EXPECT_EQ(j().fatigue.recNo(), 1);

    // A month without average piecework says so.
    j().DTPcker1->setDate(QDate(2026, 5, 4));
    t.dialogs.expectBox(MessageKind::Information, "За 05.2026 нет записей ср. сдельной работы: ни одна цена не изменена.",
                        QMessageBox::Ok, "Расчет ср.сд.");
    j().Button1->click();
}
