#pragma once
#include <QString>

class QDate;

// The SQL texts of the queries the data module shares among windows.
namespace SharedSql {
QString workers();
QString izdel();
QString vidOper();
QString oper();
// The daily journal of shift 1..4 (4 is overtime); parameters :data, :ok.
QString smena(int shift);
// The mark the journal's :ok leaves out (records without a mark are not
// shown either).
QString hiddenMark();
// The shift timesheet of shift 1..3; parameters :mnth, :yea, :date1, :date2.
QString hTabel(int shift);
// "coalesce(d1,0)+...+coalesce(d31,0)": the hours of a timesheet row.
QString daySum();
// A date as the statements write it for to_date(..., 'DD.MM.YYYY').
QString dateText(const QDate& date);
}
