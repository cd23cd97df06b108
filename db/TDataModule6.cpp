#include "db/TDataModule6.h"
#include "db/ErrorSink.h"
#include "db/SharedSql.h"

TDataModule6::TDataModule6(ErrorSink& errors, QObject* parent)
    : QObject(parent),
      Control(ADO_DB, QStringLiteral("Control")),
      SQL_exec(ADO_DB),
      DelSmena(ADO_DB),
      H_Tabel_ins(ADO_DB),
      Workers(ADO_DB, QStringLiteral("Workers")),
      Izdel(ADO_DB, QStringLiteral("Izdel")),
      Oper(ADO_DB, QStringLiteral("Oper")),
      Vid_oper(ADO_DB, QStringLiteral("Vid_oper")),
      Smena1(ADO_DB, QStringLiteral("Smena1")),
      Smena2(ADO_DB, QStringLiteral("Smena2")),
      Smena3(ADO_DB, QStringLiteral("Smena3")),
      Smena4(ADO_DB, QStringLiteral("Smena4")),
      H_Tabel_1(ADO_DB, QStringLiteral("H_Tabel_1")),
      H_Tabel_2(ADO_DB, QStringLiteral("H_Tabel_2")),
      H_Tabel_3(ADO_DB, QStringLiteral("H_Tabel_3")),
      Oper_ins(ADO_DB),
      Oper_ed(ADO_DB),
      Oper_del(ADO_DB, QStringLiteral("delete from accounts_dep.oper where id=:id")),
      m_errors(errors)
{
    setObjectName(QStringLiteral("DataModule6"));
    Workers.setSql(SharedSql::workers());
    Izdel.setSql(SharedSql::izdel());
    Oper.setSql(SharedSql::oper());
    Vid_oper.setSql(SharedSql::vidOper());
    Vid_oper.setUpdateTable(QStringLiteral("accounts_dep.vid_oper"), QStringLiteral("id"));
    for (int shift = 1; shift <= 4; ++shift)
        Smena(shift).setSql(SharedSql::smena(shift));
    // Kept as the stored filter text; nothing switches it on.
    Smena1.setFilter(QStringLiteral("i_id<>7777"));
    for (int shift = 1; shift <= 3; ++shift)
        H_Tabel(shift).setSql(SharedSql::hTabel(shift));
}

Dataset& TDataModule6::Smena(int shift)
{
    switch (shift) {
    case 1: return Smena1;
    case 2: return Smena2;
    case 3: return Smena3;
    default: return Smena4;
    }
}

Dataset& TDataModule6::H_Tabel(int shift)
{
    switch (shift) {
    case 1: return H_Tabel_1;
    case 2: return H_Tabel_2;
    default: return H_Tabel_3;
    }
}

bool TDataModule6::CheckDuplicate(const QString& sql, const QString& message)
{
    Control.close();
    Control.clearSql();
    Control.addSql(sql);
    int count = 0;
    try {
        Control.open();
        count = Control.field(QStringLiteral("cnt")).asInt();
    } catch (...) {
        Control.close();
        throw;
    }
    Control.close();
    if (count > 0) {
        m_errors.showError(message);
        return true;
    }
    return false;
}

void TDataModule6::openConnection(const QString& text)
{
    ADO_DB.close();
    ADO_DB.setConnectionText(text);
    ADO_DB.open();
    tuneSession();
}

void TDataModule6::reopenConnection()
{
    ADO_DB.open();
    tuneSession();
}

bool TDataModule6::connectionAnswers()
{
    if (!ADO_DB.isOpen())
        return false;
    try {
        Command(ADO_DB, QStringLiteral("select 1")).execute();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TDataModule6::tuneSession()
{
    // The server's JIT compiler costs far more than it saves on the
    // journal's and reports' queries (a second on a month's report). The
    // setting only makes queries faster: a server that does not know it or
    // refuses it leaves the session as it is, and the program starts.
    try {
        Command(ADO_DB, QStringLiteral("set jit = off")).execute();
    } catch (const std::exception&) {
    }
}

QString TDataModule6::ReplaceDecimalSeparator(const QString& text) const
{
    return replaceDecimalSeparator(text, decimalSeparator);
}

QString replaceDecimalSeparator(const QString& text, const QString& separator)
{
    int at = text.indexOf(u',');
    if (at < 0)
        at = text.indexOf(u'.');
    if (at < 0)
        return text;
    QString out = text;
    out.replace(at, 1, separator);
    return out;
}
