#pragma once
#include "catalogs/TForm10.h"
#include "catalogs/TForm22.h"
#include "catalogs/TForm4.h"
#include "tests/catalogs/CatalogFixture.h"

#include <QCheckBox>
#include <QComboBox>

// Operations of three products: 100 and 101 priced, 102 without a norm,
// 103 on a product whose mark holds a quote.
class OperationsFixture : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        t.database.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка'), (2, 'Окраска КРАСКА'), "
                        "(3, 'Сверловка')");
        t.database.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption) values (10, 'СТ-100'), "
                        "(11, 'ШК-200'), (12, 'О''Брайен-7')");
        t.database.exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (100, 1, 10, 0, 0), "
                        "(101, 2, 10, 1, 1.5), (102, 3, 11, 0, 0), (103, 1, 12, 0, 4.25)");
        t.database.exec("insert into accounts_dep.norm (id, o_id, norma, prize, price) values (1, 100, 50, 0, 12.5), "
                        "(2, 100, 100, 5, 10), (3, 101, 10, 0, 3), (4, 103, 20, 0, 7)");
        t.database.exec("select setval(pg_get_serial_sequence('accounts_dep.vid_oper', 'id'), 100), "
                        "setval(pg_get_serial_sequence('accounts_dep.oper', 'id'), 1000), "
                        "setval(pg_get_serial_sequence('accounts_dep.norm', 'id'), 1000)");
    }

    TForm4& list() { return owner.form4(); }
    TForm10& editor() { return owner.form10(); }
    TForm22& norms() { return owner.form22(); }
    Dataset& oper() { return dm().Oper; }

    // The operation ids of the list's rows as it shows them.
    QList<int> listedIds()
    {
        QList<int> ids;
        for (int r = 0; r < oper().recordCount(); ++r)
            ids << oper().valueAt(r, "id").toInt();
        return ids;
    }
    // The text the list shows for an operation in the column of `field`.
    QString shown(int id, const QString& field)
    {
        const auto& columns = list().DBGrid1->datasetModel()->columns();
        for (int r = 0; r < oper().recordCount(); ++r)
            if (oper().valueAt(r, "id").toInt() == id)
                for (int c = 0; c < columns.size(); ++c)
                    if (columns.at(c).field == field)
                        return list().DBGrid1->cellText(r, c);
        return "<not listed>";
    }
    // The norms of an operation in the database as "norma/price/prize", by id.
    QStringList storedNorms(int operation)
    {
        QStringList out;
        Dataset q(t.database.db());
        q.setSql(QStringLiteral("select concat_ws('/', coalesce(norma::text, '-'), coalesce(price::text, '-'), "
                                "coalesce(prize::text, '-')) as n from accounts_dep.norm where o_id=%1 order by id")
                     .arg(operation));
        q.open();
        for (int r = 0; r < q.recordCount(); ++r)
            out << q.valueAt(r, 0).toString();
        return out;
    }

    // Opens the list from the journal's menu item "Цены" and runs `inside`.
    void openCatalog(const std::function<void()>& inside)
    {
        t.dialogs.onModal("Form4", [&](QDialog& d) {
            inside();
            return d.result();
        });
        journal().ActPrices->trigger();
    }
};
