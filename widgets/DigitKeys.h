#pragma once
#include <QObject>
#include <QString>

class QLineEdit;

// A field that takes whole numbers only: a typed character is kept only
// when it is a digit 0 to 9; keys that type nothing (cursor keys, Delete),
// Backspace and the dialog's Enter, Escape and Tab act as usual. Pasted text
// with anything but digits is refused as well.
bool digitKeyAccepted(const QString& typed);

class DigitKeyFilter : public QObject {
public:
    explicit DigitKeyFilter(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
};
