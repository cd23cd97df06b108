#pragma once
#include <QDate>
#include <QString>
#include <optional>
#include <stdexcept>

class Command;

// What the shift record editor checks and writes, apart from its window.
namespace RecordEntry {

// A typed value that is no whole number the column can take.
class InputError : public std::runtime_error {
public:
    explicit InputError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

// The editor's fields as typed.
struct Input {
    QString worker;      // ФИО
    QString operation;   // Операция: product; kind; product type
    QString quantity;    // Кол-во
    QString rejects;     // Брак
    QString hours;       // Время
    QString colour;      // Цвет
};

// A painting operation needs a colour: its text holds "КРАСКА" in any case.
bool isPainting(const QString& operationText);
// Every field a record needs is filled (blanks alone count as empty).
bool isComplete(const Input& input);

// The whole number in a digits-only field; InputError when it is none or
// does not fit.
qlonglong wholeNumber(const QString& text, qlonglong max);
// The colour code: 0 when the field is empty.
int colourCode(const QString& text);

// What makes a record a duplicate: the same worker, operation, product,
// date, shift and colour (a record without colour counts as colour 0).
struct Key {
    int worker = 0;
    int operation = 0;
    int product = 0;
    QDate date;
    int shift = 0;
    int colour = 0;
};

// The count (column `cnt`) of other records with the key; `exceptId` leaves
// out the record being changed.
QString duplicateSql(const Key& key, std::optional<int> exceptId = std::nullopt);

struct Values {
    Key key;
    double price = 0;        // rounded to 4 places before it is written
    qlonglong quantity = 0;
    int rejects = 0;
    int hours = 0;
    QDate entered;           // the entry date, today
};

// The insert of a new record (not accepted: ok = 'no') and the update of
// record `id` (its acceptance mark untouched), with their values bound.
void bindInsert(Command& command, const Values& values);
void bindUpdate(Command& command, const Values& values, int id);

} // namespace RecordEntry
