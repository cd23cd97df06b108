#include "catalogs/TForm29.h"
#include "app/DialogService.h"
#include "app/TDataModule6.h"
#include "app/WindowUtil.h"
#include "catalogs/CatalogSql.h"
#include "catalogs/TForm26.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm29::TForm29(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form29"));
    setWindowTitle(QStringLiteral("Ведение групп (29)"));

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Номенклатурная группа"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* row = new QHBoxLayout(GroupBox1);
    auto* label = new QLabel(QStringLiteral("Наименование"), GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(254);
    // Not reached with the Tab key.
    Edit1->setFocusPolicy(Qt::ClickFocus);
    WindowUtil::setBuddy(label, Edit1);
    row->addWidget(label);
    row->addWidget(Edit1, 1);
    layout->addWidget(GroupBox1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Записать"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button6 = new QPushButton(QStringLiteral("Выход"), this);
    Button6->setObjectName(QStringLiteral("Button6"));
    Button6->setAutoDefault(false);
    buttons->addWidget(Button1);
    buttons->addWidget(Button6);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button6, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(QSize(460, sizeHint().height()));
}

void TForm29::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Edit1->setFocus();
}

void TForm29::Button1Click()
{
    const QString name = Edit1->text().trimmed();
    // A group without a name could not be told apart in any list.
    if (name.isEmpty()) {
        m_ctx.dialogs.error(this, QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const bool saved = m_ctx.dialogs.guarded(this, [&] {
        CatalogSql::run(m_dm.SQL_exec, Tag == EditorMode::New ? CatalogSql::groupInsert(name)
                                                              : CatalogSql::groupUpdate(m_list->currentId(), name));
        m_list->item.close();
        m_list->item.open();
    });
    if (saved)
        accept();
}
