#include "catalogs/EditorParts.h"
#include "app/WindowUtil.h"

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
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* save = new QPushButton(QStringLiteral("Записать"), &editor);
    save->setObjectName(QStringLiteral("Button1"));
    save->setDefault(true);
    auto* close = new QPushButton(closeText, &editor);
    close->setObjectName(QLatin1String(closeName));
    close->setAutoDefault(false);
    row->addWidget(save);
    row->addWidget(close);
    layout.addLayout(row);
    QObject::connect(close, &QPushButton::clicked, &editor, &QDialog::reject);
    return {save, close};
}

}
