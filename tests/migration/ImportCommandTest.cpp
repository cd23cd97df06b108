#include "app/ImportCommand.h"
#include "tests/migration/LegacyFixture.h"
#include "tests/support/ProgramRun.h"

#include <gtest/gtest.h>

namespace {

// The program started by an administrator with the import option.
ProgramRun runImport(const QStringList& arguments)
{
    return runProgram(QStringLiteral(PW_PROGRAM), arguments);
}

class ImportCommandTest : public ::testing::Test {
protected:
    ImportCommandTest() : legacy(target)
    {
        fillCurrentWorkshop(target);
        fillSmallLegacy(legacy, target);
    }
    QStringList arguments() const { return {ImportCommand::kOption, target.name(), target.server()}; }

    TestDatabase target;
    LegacySource legacy;
};

TEST_F(ImportCommandTest, PrintsEachTableAndTheRowsCopiedAndExitsWithZero)
{
    legacy.exec("delete from NOMENKL");

    const ProgramRun run = runImport(arguments());

    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringList({"H_TABEL: 1 из 1 записей", "IZDEL: 3 из 3 записей", "NOMENKL: нет записей",
                                    "OPER: 3 из 3 записей", "VID_OPER: 3 из 3 записей", "WORKERS: 4 из 4 записей",
                                    "smena: 3 из 3 записей",
                                    "Импорт завершён. Скопировано записей: H_TABEL 1, IZDEL 3, NOMENKL 0, OPER 3, "
                                    "VID_OPER 3, WORKERS 4, smena 3; рабочих записано: 3, норм сохранено: 0, норм добавлено: 2"}));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(target.scalar("select string_agg(id::text, ',' order by id) from accounts_dep.smena").toString(), "1,2,3");
}

TEST_F(ImportCommandTest, FailureIsPrintedWithANonZeroExitAndChangesNothing)
{
    legacy.exec("insert into OPER values (103, 1, 70000, 1.0, 10)");
    const QStringList before = workshopSnapshot(target);

    const ProgramRun run = runImport(arguments());

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("Импорт не выполнен, данные не изменены.\nOPER → accounts_dep.oper, запись id=103: "))
        << run.err.toStdString();
    EXPECT_FALSE(run.out.join('\n').contains("Импорт завершён"));
    EXPECT_EQ(workshopSnapshot(target), before);
}

TEST_F(ImportCommandTest, MissingDataSourceIsNamed)
{
    legacy.writeIni(target.name(), false);

    const ProgramRun run = runImport(arguments());

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("Нет подключения к источнику данных \"Tabel\": ")) << run.err.toStdString();
    EXPECT_EQ(target.count("select count(*) from accounts_dep.smena"), 1);
}

TEST(ImportCommandProgress, PrintsEveryTenthOfALargeTableAndTheEnd)
{
    const struct {
        int copied, total, batch;
        bool printed;
    } cases[] = {
        {3, 3, 2000, true},            // a small table: its end
        {2000, 200000, 2000, false},
        {20000, 200000, 2000, true},   // a tenth
        {22000, 200000, 2000, false},
        {40000, 200000, 2000, true},
        {2000, 5000, 2000, true},      // tables of a few batches: every batch
        {4000, 5000, 2000, true},
        {5000, 5000, 2000, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImportCommand::worthPrinting(c.copied, c.total, c.batch), c.printed) << c.copied << " of " << c.total;
}

} // namespace
