#pragma once
#include <QString>

// Where the data module's refusals reach the user: the program's error box,
// a test's script, or a command's error output.
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    virtual void showError(const QString& text) = 0;
};
