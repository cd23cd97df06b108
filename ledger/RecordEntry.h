#pragma once
#include <QDate>
#include <QString>
#include <optional>
#include <stdexcept>

class Command;
class QVariant;
class TDataModule6;

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
// A stored quantity as the editor's field shows it: a whole number written
// with a fraction of zeros ("10.000", by another program) without it; any
// other value as it is stored.
QString quantityText(const QVariant& stored);

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
    double price = 0;        // written as it is given: a picked price is rounded by the caller
    bool priced = true;      // false: the operation had no price when it was picked
    qlonglong quantity = 0;
    int rejects = 0;
    int hours = 0;
    QDate entered;           // the entry date, today
};

// The most hours one record may carry, and the refusal of more.
inline constexpr int kMaxHours = 24;
QString tooManyHoursText();

// Why a record with these values may not be written, as the message the
// user gets (the operation named by its editor text); empty when it may.
QString refusal(const Values& values, const QString& operationText);

// The insert of a new record (not accepted: ok = 'no') and the update of
// record `id` (its acceptance mark untouched), with their values bound.
void bindInsert(Command& command, const Values& values);
void bindUpdate(Command& command, const Values& values, int id);

// The lowest norm price of an operation, if any of its norms has one.
std::optional<double> listPriceOf(TDataModule6& dm, int operation);

enum class Outcome { Written, Duplicate, Gone };

// Writes a new record (`id` 0) or changes record `id` through `command`,
// with the day posting of every timesheet key it touches, in the caller's
// transaction or in one of its own. The keys' posting locks are taken
// first, in a fixed order, so that the duplicate check sees what every
// other copy has written for them. Answers Duplicate (nothing written) for
// a record equal to another; shows nothing, so that the caller's message
// comes after the transaction. A change of a record that is gone throws.
Outcome saveRecord(TDataModule6& dm, Command& command, const Values& values, int id = 0);

// Deletes record `id` and re-posts the timesheet day it stood on (its own
// worker, shift and date, as stored), in one transaction. Answers Gone when
// there was no such record.
Outcome deleteRecord(TDataModule6& dm, int id);

// Sets the acceptance mark of record `id` (under its month's lock, so that a
// closed month refuses). Answers Gone when there was no such record.
Outcome setAcceptance(TDataModule6& dm, int id, const QString& mark);

// "ok" and "да" (exactly) are accepted.
bool isAccepted(const QString& mark);
// The new mark a double click gives a record with `mark`.
QString toggledMark(const QString& mark);

} // namespace RecordEntry
