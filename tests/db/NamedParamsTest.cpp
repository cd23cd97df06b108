#include "db/NamedParams.h"

#include <gtest/gtest.h>

TEST(NamedParams, ReplacesNamesButLeavesCastsAndQuotedTextAlone)
{
    const PositionalSql p = toPositional(
        QStringLiteral("select kol_vo::numeric, ':no' as t, \"a:b\" from x where data=:data and ok!=:ok and s_code::t_id=:Data"));
    EXPECT_EQ(p.sql.toStdString(),
              "select kol_vo::numeric, ':no' as t, \"a:b\" from x where data=? and ok!=? and s_code::t_id=?");
    EXPECT_EQ(p.order, (QStringList{"data", "ok", "data"}));
}
