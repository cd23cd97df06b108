#include "tests/support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

const char* messageKindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error: return "error";
    case MessageKind::Question: return "question";
    case MessageKind::Information: return "information";
    case MessageKind::Warning: return "warning";
    }
    return "?";
}

ScriptedDialogs::~ScriptedDialogs()
{
    if (!m_verified)
        verify();
}

void ScriptedDialogs::expectBox(MessageKind kind, const QString& text, QMessageBox::StandardButton answer,
                                const QString& caption)
{
    m_expected.append({kind, text, answer, caption, {}});
}

void ScriptedDialogs::expectBox(MessageKind kind, const QString& text, QMessageBox::StandardButton answer,
                                const QString& caption, std::function<void()> whileOpen)
{
    m_expected.append({kind, text, answer, caption, std::move(whileOpen)});
}

void ScriptedDialogs::expectAnyBox(MessageKind kind, QMessageBox::StandardButton answer)
{
    m_expected.append({kind, QString(), answer, QString(), {}, true});
}

void ScriptedDialogs::onModal(const QString& objectName, std::function<int(QDialog&)> action)
{
    m_modals.append({objectName, std::move(action)});
}

void ScriptedDialogs::verify()
{
    m_verified = true;
    for (const Expected& e : m_expected)
        ADD_FAILURE() << "expected " << messageKindName(e.kind) << " box never came: " << e.text.toStdString();
    m_expected.clear();
}

int ScriptedDialogs::showModal(QDialog& dialog)
{
    m_windows << dialog.objectName();
    for (int i = 0; i < m_modals.size(); ++i) {
        if (m_modals.at(i).first != dialog.objectName())
            continue;
        auto action = m_modals.at(i).second;
        m_modals.removeAt(i);
        dialog.setResult(0);
        dialog.show();
        QCoreApplication::processEvents();
        const int result = action(dialog);
        if (dialog.isVisible())
            dialog.hide();
        return result;
    }
    ADD_FAILURE() << "window shown modally without a script: " << dialog.objectName().toStdString();
    return QDialog::Rejected;
}

QMessageBox::StandardButton ScriptedDialogs::message(QWidget*, MessageKind kind, const QString& caption,
                                                     const QString& text, QMessageBox::StandardButtons buttons)
{
    m_shown.append({kind, caption, text});
    if (m_expected.isEmpty() || m_expected.first().kind != kind
        || (!m_expected.first().anyText && m_expected.first().text != text)
        || (!m_expected.first().caption.isEmpty() && m_expected.first().caption != caption)) {
        ADD_FAILURE() << "unexpected " << messageKindName(kind) << " box \"" << caption.toStdString() << "\": "
                      << text.toStdString()
                      << (m_expected.isEmpty() ? std::string(" (none expected)")
                                               : " (expected: " + m_expected.first().text.toStdString() + ")");
        return (buttons & QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
    const Expected e = m_expected.takeFirst();
    if (!(buttons & e.answer))
        ADD_FAILURE() << "box \"" << text.toStdString() << "\" has no button to answer with";
    if (e.whileOpen)
        e.whileOpen();
    return e.answer;
}
