#include "ledger/CatalogSql.h"
#include "db/TDataModule6.h"
#include "db/Command.h"

namespace CatalogSql {

namespace {

// Both sides are upper-cased by the server, so that the comparison follows
// one set of character rules (the database's), whatever they are.
BoundSql duplicate(const QString& head, const QString& name, std::optional<qlonglong> exceptId)
{
    BoundSql s{head + QStringLiteral("=upper(:name)"), {{QStringLiteral("name"), name}}};
    if (exceptId) {
        s.sql += QStringLiteral(" and id<>:id");
        s.params.insert(QStringLiteral("id"), *exceptId);
    }
    return s;
}

} // namespace

BoundSql productDuplicate(const QString& mark, std::optional<qlonglong> exceptId)
{
    return duplicate(QStringLiteral("select count(*) as cnt from accounts_dep.izdel where upper(marka)"), mark,
                     exceptId);
}

BoundSql kindDuplicate(const QString& name, std::optional<qlonglong> exceptId)
{
    return duplicate(QStringLiteral("select count(*) as cnt from accounts_dep.vid_oper where upper(vid)"), name,
                     exceptId);
}

BoundSql productInsert(const QString& mark, const QString& massa, qlonglong groupId)
{
    return {QStringLiteral("INSERT INTO cmn_gds_and_srv.gds_and_srv(s_caption, s_description, id_msm_bs, massa, "
                           "id_class_item)VALUES(:marka, '', 6, cast(:massa as numeric), :item)"),
            {{QStringLiteral("marka"), mark}, {QStringLiteral("massa"), massa}, {QStringLiteral("item"), groupId}}};
}

BoundSql productUpdate(qlonglong id, const QString& mark, const QString& massa, qlonglong groupId)
{
    return {QStringLiteral("UPDATE cmn_gds_and_srv.gds_and_srv SET s_caption=:marka, s_description='', id_msm_bs=6, "
                           "massa=cast(:massa as numeric), id_class_item=:item where id=:id"),
            {{QStringLiteral("marka"), mark},
             {QStringLiteral("massa"), massa},
             {QStringLiteral("item"), groupId},
             {QStringLiteral("id"), id}}};
}

BoundSql workerInsert(const QString& fio, const QString& position)
{
    return {QStringLiteral("INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES(:fio, :pos)"),
            {{QStringLiteral("fio"), fio}, {QStringLiteral("pos"), position}}};
}

BoundSql workerUpdate(int id, const QString& fio, const QString& position)
{
    return {QStringLiteral("UPDATE accounts_dep.person SET fio=:fio, s_staffpos_hl=:pos where accounts_dep.person.id=:id"),
            {{QStringLiteral("fio"), fio}, {QStringLiteral("pos"), position}, {QStringLiteral("id"), id}}};
}

BoundSql workerDelete(int id)
{
    return {QStringLiteral("delete from accounts_dep.person where id =:id"), {{QStringLiteral("id"), id}}};
}

BoundSql groupInsert(const QString& caption)
{
    return {QStringLiteral("INSERT INTO cmn_classifier.item(s_caption, id_level) VALUES(:caption, 2)"),
            {{QStringLiteral("caption"), caption}}};
}

BoundSql groupUpdate(qlonglong id, const QString& caption)
{
    return {QStringLiteral("UPDATE cmn_classifier.item SET s_caption=:caption where id=:id"),
            {{QStringLiteral("caption"), caption}, {QStringLiteral("id"), id}}};
}

int run(Command& command, const BoundSql& statement)
{
    command.setText(statement.sql);
    command.clearParams();
    for (auto it = statement.params.constBegin(); it != statement.params.constEnd(); ++it)
        command.setParam(it.key(), it.value());
    return command.execute();
}

bool checkDuplicate(TDataModule6& dm, const BoundSql& count, const QString& message)
{
    for (auto it = count.params.constBegin(); it != count.params.constEnd(); ++it)
        dm.Control.setParam(it.key(), it.value());
    return dm.CheckDuplicate(count.sql, message);
}

} // namespace CatalogSql
