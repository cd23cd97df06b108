#pragma once
#include <QString>
#include <stdexcept>

namespace report {

// Thrown for a report that cannot be built: an expression that does not
// parse, an unknown field or group, a bad number mask, a file that cannot
// be written. The application shows it like any other escaping error.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

} // namespace report
