#pragma once
#include <QString>
#include <stdexcept>

// An error raised by the data access layer: a statement the database refused,
// a field that does not exist, a filter text that does not parse. The text is
// what the user is shown.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};
