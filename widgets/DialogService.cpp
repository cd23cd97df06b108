#include "widgets/DialogService.h"
#include "db/DbError.h"

#include <QDialog>

void DialogService::error(QWidget* parent, const QString& text, const QString& caption)
{
    message(parent, MessageKind::Error, caption, text, QMessageBox::Ok);
}

bool DialogService::askYesNo(QWidget* parent, const QString& caption, const QString& text)
{
    return message(parent, MessageKind::Question, caption, text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void DialogService::showException(QWidget* parent, const std::exception& e)
{
    const auto* db = dynamic_cast<const DbError*>(&e);
    const QString text = db ? db->text() : QString::fromUtf8(e.what());
    message(parent, MessageKind::Error, QStringLiteral("Ошибка"), text, QMessageBox::Ok);
}

bool DialogService::guarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        showException(parent, e);
    } catch (...) {
        message(parent, MessageKind::Error, QStringLiteral("Ошибка"), QString(), QMessageBox::Ok);
    }
    return false;
}

int WidgetDialogService::showModal(QDialog& dialog)
{
    return dialog.exec();
}

QMessageBox::StandardButton WidgetDialogService::message(QWidget* parent, MessageKind kind, const QString& caption,
                                                         const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case MessageKind::Error: icon = QMessageBox::Critical; break;
    case MessageKind::Question: icon = QMessageBox::Question; break;
    case MessageKind::Information: icon = QMessageBox::Information; break;
    case MessageKind::Warning: icon = QMessageBox::Warning; break;
    }
    QMessageBox box(icon, caption, text, buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}
