#include "catalogs/TForm9.h"
#include "app/DialogService.h"
#include "app/TDataModule6.h"
#include "app/WindowUtil.h"
#include "catalogs/CatalogSql.h"

#include <QGroupBox>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm9::TForm9(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Вид операции"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* row = new QHBoxLayout(GroupBox1);
    auto* label = new QLabel(QStringLiteral("Операция"), GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(50);
    WindowUtil::setBuddy(label, Edit1);
    row->addWidget(label);
    row->addWidget(Edit1, 1);
    layout->addWidget(GroupBox1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Записать"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(QSize(440, sizeHint().height()));
}

void TForm9::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the window that opened it.
    if (QWidget* opener = QApplication::activeWindow(); opener && opener != this)
        move(opener->frameGeometry().center() - rect().center());
    Edit1->setFocus();
}

void TForm9::Button1Click()
{
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty()) {
        m_ctx.dialogs.error(this, QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    bool saved = false;
    m_ctx.dialogs.guarded(this, [&] {
        Dataset& kinds = m_dm.Vid_oper;
        const QString message = QStringLiteral("Такая операция уже заведена!");
        if (Tag == EditorMode::New) {
            if (CatalogSql::checkDuplicate(m_dm, CatalogSql::kindDuplicate(name), message))
                return;
            kinds.append();
        } else {
            if (CatalogSql::checkDuplicate(m_dm, CatalogSql::kindDuplicate(name, kinds.field(QStringLiteral("id")).asInt()),
                                           message))
                return;
            kinds.edit();
        }
        try {
            kinds.setValue(QStringLiteral("vid"), name);
            kinds.post();
        } catch (...) {
            // The row read from the database stays as it was.
            kinds.cancel();
            throw;
        }
        kinds.close();
        kinds.open();
        saved = true;
    });
    if (saved)
        accept();
}
