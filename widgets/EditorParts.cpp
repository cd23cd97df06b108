#include "widgets/EditorParts.h"
#include "widgets/WindowUtil.h"

#include <QApplication>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace EditorParts {

void centreOnOpener(QWidget& window)
{
    if (QWidget* opener = QApplication::activeWindow(); opener && opener != &window)
        window.move(opener->frameGeometry().center() - window.rect().center());
}

void addRow(QFormLayout& form, const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption, form.parentWidget());
    WindowUtil::setBuddy(label, field);
    form.addRow(label, field);
}

std::pair<QGroupBox*, QLineEdit*> addFieldGroup(QDialog& editor, QBoxLayout& layout, const QString& title, const QString& caption,
                         int maxLength)
{
    auto* box = new QGroupBox(title, &editor);
    box->setObjectName(QStringLiteral("GroupBox1"));
    auto* row = new QHBoxLayout(box);
    auto* label = new QLabel(caption, box);
    auto* field = new QLineEdit(box);
    field->setObjectName(QStringLiteral("Edit1"));
    field->setMaxLength(maxLength);
    WindowUtil::setBuddy(label, field);
    row->addWidget(label);
    row->addWidget(field, 1);
    layout.addWidget(box);
    return {box, field};
}

std::pair<QPushButton*, QPushButton*> addButtons(QDialog& editor, QBoxLayout& layout, const char* closeName, const QString& closeText)
{
    auto [save, close] = WindowUtil::addDialogButtons(&editor, &layout, "Button1", QStringLiteral("Записать"), closeName, closeText);
    QObject::connect(close, &QPushButton::clicked, &editor, &QDialog::reject);
    return {save, close};
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QPushButton* addPickerButton(QWidget* parent, const char* name, const QString& accessibleName)
{
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(accessibleName);
    button->setAutoDefault(false);
    button->setFixedWidth(32);
    return button;
}

void boldCaption(QGroupBox& box)
{
    WindowUtil::setBold(&box, true);
    QFont normal = box.font();
    normal.setBold(false);
    for (QWidget* child : box.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setFont(normal);
}

}
