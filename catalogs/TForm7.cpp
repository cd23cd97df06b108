#include "catalogs/TForm7.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "ledger/CatalogSql.h"
#include "catalogs/DecimalKeys.h"
#include "widgets/EditorParts.h"
#include "widgets/LookupCombo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

TForm7::TForm7(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent), Item(dm.ADO_DB, QStringLiteral("Item")), m_ctx(context), m_dm(dm)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Изделие"));
    Item.setSql(QStringLiteral("select * from cmn_classifier.item order by s_caption"));
    Item.setFilter(QStringLiteral("id_level=2"));
    Item.setFiltered(true);

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Данные об изделии"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* form = new QFormLayout(GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(254);
    EditorParts::addRow(*form, QStringLiteral("Марка"), Edit1);
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    new DecimalKeyFilter(Edit2);
    EditorParts::addRow(*form, QStringLiteral("Расценка"), Edit2);
    cb_item = new QComboBox(GroupBox1);
    cb_item->setObjectName(QStringLiteral("cb_item"));
    cb_item->setMaxVisibleItems(10);
    cb_item->setMinimumContentsLength(28);
    cb_item->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    EditorParts::addRow(*form, QStringLiteral("Номенклатурная группа"), cb_item);
    layout->addWidget(GroupBox1);
    connect(cb_item, &QComboBox::currentIndexChanged, this, [this] { m_groupId = LookupCombo::key(cb_item); });

    std::tie(Button1, Button2) = EditorParts::addButtons(*this, *layout, "Button2", QStringLiteral("Отмена"));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    setMinimumWidth(520);
}

void TForm7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Edit1->setFocus();
}

void TForm7::openGroups()
{
    Item.open();
    const qlonglong keep = m_groupId;
    LookupCombo::fill(cb_item, Item, QStringLiteral("id"), QStringLiteral("s_caption"));
    selectGroup(keep);
}

void TForm7::closeGroups()
{
    Item.close();
    // The list keeps its chosen group while the table is closed.
}

void TForm7::selectGroup(qlonglong id)
{
    LookupCombo::selectKey(cb_item, id);
    m_groupId = id;
}

qlonglong TForm7::groupId() const
{
    return LookupCombo::key(cb_item);
}

void TForm7::Button1Click()
{
    const QString mark = Edit1->text().trimmed();
    const QString massa = Edit2->text().trimmed();
    const qlonglong group = groupId();
    if (mark.isEmpty() || massa.isEmpty() || group == 0) {
        m_ctx.dialogs.error(this, QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    bool saved = false;
    m_ctx.dialogs.guarded(this, [&] {
        const bool change = Tag != EditorMode::New;
        if (CatalogSql::checkDuplicate(m_dm,
                                       change ? CatalogSql::productDuplicate(mark, productId)
                                              : CatalogSql::productDuplicate(mark),
                                       QStringLiteral("Такая марка изделия уже заведена!")))
            return;
        // A bound number always takes a point, whatever separator the
        // database's version row names for numbers written into SQL text.
        const QString number = replaceDecimalSeparator(massa, QStringLiteral("."));
        CatalogSql::run(m_dm.SQL_exec, change ? CatalogSql::productUpdate(productId, mark, number, group)
                                              : CatalogSql::productInsert(mark, number, group));
        m_dm.Izdel.close();
        m_dm.Izdel.open();
        saved = true;
    });
    if (saved)
        accept();
}
