#include "catalogs/TForm29.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "ledger/CatalogSql.h"
#include "widgets/EditorParts.h"
#include "catalogs/TForm26.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

TForm29::TForm29(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form29"));
    setWindowTitle(QStringLiteral("Ведение групп (29)"));

    auto* layout = new QVBoxLayout(this);
    std::tie(GroupBox1, Edit1) = EditorParts::addFieldGroup(*this, *layout, QStringLiteral("Номенклатурная группа"),
                                                            QStringLiteral("Наименование"), 254);
    // Not reached with the Tab key.
    Edit1->setFocusPolicy(Qt::ClickFocus);

    std::tie(Button1, Button6) = EditorParts::addButtons(*this, *layout, "Button6", QStringLiteral("Выход"));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
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
