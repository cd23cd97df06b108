#pragma once
#include <QChar>
#include <QObject>
#include <QString>
#include <QVariant>
#include <optional>

class QLineEdit;

// The character a key press puts into a decimal field: digits as typed,
// "," and "." both as "."; any other character is refused (nullopt).
std::optional<QChar> decimalKeyChar(QChar typed);

// An exact decimal as a decimal field shows it: the point as separator,
// no trailing zeros after it ("0.375000" -> "0.375", "2.000000" -> "2").
QString decimalEditText(const QVariant& value);

// Applies decimalKeyChar to the characters typed into a field. Keys that
// type nothing (cursor keys, Delete), Backspace and the dialog's Enter and
// Escape act as usual.
class DecimalKeyFilter : public QObject {
public:
    explicit DecimalKeyFilter(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
};
