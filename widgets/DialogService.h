#pragma once
#include "db/ErrorSink.h"

#include <QMessageBox>
#include <QString>
#include <exception>
#include <functional>

class QDialog;
class QWidget;

enum class MessageKind { Error, Question, Information, Warning };

// How windows are shown modally and how message boxes are shown and
// answered. The program shows them for real; tests answer them by script.
class DialogService : public ErrorSink {
public:
    virtual ~DialogService() = default;

    // Shows `dialog` modally and answers its result code.
    virtual int showModal(QDialog& dialog) = 0;
    // Shows a message box; answers the button pressed.
    virtual QMessageBox::StandardButton message(QWidget* parent, MessageKind kind, const QString& caption,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok) = 0;

    // The data module's refusals: an error box.
    void showError(const QString& text) override { error(nullptr, text); }
    // An error box with the caption "Ошибка" unless another is given.
    void error(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Ошибка"));
    // A Yes/No question; true when the answer is Yes.
    bool askYesNo(QWidget* parent, const QString& caption, const QString& text);
    // Shows an error that escaped an action (a database error, a failed
    // filter) the way the application shows every such error.
    void showException(QWidget* parent, const std::exception& e);

    // Runs an action of a window; an error that escapes it is shown and the
    // rest of the action is abandoned. Answers false when it failed.
    bool guarded(QWidget* parent, const std::function<void()>& action);
};

// The program's own: exec() and QMessageBox.
class WidgetDialogService : public DialogService {
public:
    int showModal(QDialog& dialog) override;
    QMessageBox::StandardButton message(QWidget* parent, MessageKind kind, const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
};
