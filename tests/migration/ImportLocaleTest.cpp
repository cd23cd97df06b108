#include "app/ImportCommand.h"
#include "tests/migration/LegacyFixture.h"
#include "tests/support/ProgramRun.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

// The language settings a command gets from cron, a service, a bare ssh
// session or a desktop: nothing, the C library's plain ones, or UTF-8.
struct Environment {
    const char* name;
    QStringList set;   // NAME=value
};

const Environment kEnvironments[] = {
    {"unset", {}},
    {"LANG_C", {"LANG=C"}},
    {"LC_ALL_POSIX", {"LANG=ru_RU.UTF-8", "LC_ALL=POSIX"}},
    {"LC_CTYPE_C", {"LANG=C.UTF-8", "LC_CTYPE=C"}},
    {"C_UTF8", {"LANG=C.UTF-8"}},
    {"ru_RU_UTF8", {"LANG=ru_RU.UTF-8"}},   // the workshop's desktops (installed by the set-up)
};

void PrintTo(const Environment& e, std::ostream* os)
{
    *os << e.name;
}

class ImportLocaleTest : public ::testing::TestWithParam<Environment> {
protected:
    ImportLocaleTest() : legacy(target)
    {
        fillCurrentWorkshop(target);
        fillSmallLegacy(legacy, target);
    }

    TestDatabase target;
    LegacySource legacy;
};

TEST_P(ImportLocaleTest, CyrillicQuotesAndDecimalsArriveIntactAndTheOutputIsUtf8)
{
    legacy.exec("insert into WORKERS values (5, 'Щукин-Ёлкин «Бригадир» Ю.Я.', 'д. 7, кв. \"12\"')");
    legacy.exec("update OPER set cena = 12.45 where id = 100");

    const ProgramRun run = runProgram(QStringLiteral(PW_PROGRAM), {ImportCommand::kOption, target.name(), target.server()},
                                      GetParam().set);
    const QString out = run.out.join('\n');

    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(out.contains("WORKERS: 5 из 5 записей")) << out.toStdString();
    EXPECT_TRUE(out.contains("Импорт завершён. Скопировано записей:")) << out.toStdString();
    EXPECT_EQ(target.scalar("select string_agg(fio || '|' || coalesce(addr, ''), ';' order by id) from accounts_dep.workers")
                  .toString(),
              "Иванов И.И.|ул. Ленина, 1;Петров П.П.|;О'Брайен Д.|пер. Тихий;Без записей Б.Б.|;"
              "Щукин-Ёлкин «Бригадир» Ю.Я.|д. 7, кв. \"12\"");
    // The workers catalog gets the workers with records.
    EXPECT_EQ(target.scalar("select string_agg(fio, ';' order by id) from accounts_dep.person where id between 1 and 5")
                  .toString(),
              "Иванов И.И.;Петров П.П.;О'Брайен Д.");
    EXPECT_EQ(target.scalar("select string_agg(vid, ';' order by id) from accounts_dep.vid_oper where id in (1, 2)").toString(),
              "Резка;Окраска КРАСКА");
    EXPECT_EQ(target.scalar("select price::text from accounts_dep.norm where o_id = 100").toString(), "12.45");
}

INSTANTIATE_TEST_SUITE_P(Languages, ImportLocaleTest, ::testing::ValuesIn(kEnvironments),
                         [](const ::testing::TestParamInfo<Environment>& info) { return std::string(info.param.name); });

} // namespace
