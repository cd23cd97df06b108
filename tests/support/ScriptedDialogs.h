#pragma once
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"

#include <QDialog>
#include <QString>
#include <QVector>
#include <functional>

// Dialog services answered by a test's script. Expected boxes are matched
// in order by kind and text and answered with the given button; a box that
// was not expected, or an expectation that never came, fails the test.
// Modal windows run the action the test gave for them (by object name).
class ScriptedDialogs : public DialogService {
public:
    struct Box {
        MessageKind kind;
        QString caption;
        QString text;
    };

    ~ScriptedDialogs() override;

    void expectBox(MessageKind kind, const QString& text, QMessageBox::StandardButton answer = QMessageBox::Ok,
                   const QString& caption = QString());
    // As above; `whileOpen` runs while the box is shown, before it is
    // answered (what timers and other events do under an open box).
    void expectBox(MessageKind kind, const QString& text, QMessageBox::StandardButton answer, const QString& caption,
                   std::function<void()> whileOpen);
    // A box whose text comes from elsewhere (the driver's message of a
    // lost connection): only its kind is matched; shownBoxes() tells the text.
    void expectAnyBox(MessageKind kind, QMessageBox::StandardButton answer = QMessageBox::Ok);
    // What to do inside `objectName` when it is shown modally; the action's
    // result is the window's result. A window shown without an action fails.
    void onModal(const QString& objectName, std::function<int(QDialog&)> action);

    const QVector<Box>& shownBoxes() const { return m_shown; }
    const QStringList& shownWindows() const { return m_windows; }
    // Fails the test for expectations that never came; called by the destructor.
    void verify();

    int showModal(QDialog& dialog) override;
    QMessageBox::StandardButton message(QWidget* parent, MessageKind kind, const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;

private:
    struct Expected {
        MessageKind kind;
        QString text;
        QMessageBox::StandardButton answer;
        QString caption;
        std::function<void()> whileOpen;
        bool anyText = false;
    };
    QVector<Expected> m_expected;
    QVector<QPair<QString, std::function<int(QDialog&)>>> m_modals;
    QVector<Box> m_shown;
    QStringList m_windows;
    bool m_verified = false;
};

// Records the program's request to end instead of ending the test.
class TestLifetime : public AppLifetime {
public:
    void requestTerminate() override { ++m_requests; }
    bool terminateRequested() const override { return m_requests > 0; }
    int requests() const { return m_requests; }

private:
    int m_requests = 0;
};

const char* messageKindName(MessageKind kind);
