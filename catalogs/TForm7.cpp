#include "catalogs/TForm7.h"
#include "app/DialogService.h"
#include "app/TDataModule6.h"
#include "app/WindowUtil.h"
#include "catalogs/CatalogSql.h"
#include "catalogs/DecimalKeys.h"
#include "catalogs/LookupCombo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
    auto addRow = [this, form](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, GroupBox1);
        WindowUtil::setBuddy(label, field);
        form->addRow(label, field);
    };
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(254);
    addRow(QStringLiteral("Марка"), Edit1);
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    new DecimalKeyFilter(Edit2);
    addRow(QStringLiteral("Расценка"), Edit2);
    cb_item = new QComboBox(GroupBox1);
    cb_item->setObjectName(QStringLiteral("cb_item"));
    cb_item->setMaxVisibleItems(10);
    cb_item->setMinimumContentsLength(28);
    cb_item->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    addRow(QStringLiteral("Номенклатурная группа"), cb_item);
    layout->addWidget(GroupBox1);
    connect(cb_item, &QComboBox::currentIndexChanged, this, [this] { m_groupId = LookupCombo::key(cb_item); });

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
    const int keep = m_groupId;
    LookupCombo::fill(cb_item, Item, QStringLiteral("id"), QStringLiteral("s_caption"));
    selectGroup(keep);
}

void TForm7::closeGroups()
{
    Item.close();
    // The list keeps its chosen group while the table is closed.
}

void TForm7::selectGroup(int id)
{
    LookupCombo::selectKey(cb_item, id);
    m_groupId = id;
}

int TForm7::groupId() const
{
    return LookupCombo::key(cb_item);
}

void TForm7::Button1Click()
{
    const QString mark = Edit1->text().trimmed();
    const QString massa = Edit2->text().trimmed();
    const int group = groupId();
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
        // Both the new and the changed product's number get the database's
        // decimal separator.
        const QString number = m_dm.ReplaceDecimalSeparator(massa);
        CatalogSql::run(m_dm.SQL_exec, change ? CatalogSql::productUpdate(productId, mark, number, group)
                                              : CatalogSql::productInsert(mark, number, group));
        m_dm.Izdel.close();
        m_dm.Izdel.open();
        saved = true;
    });
    if (saved)
        accept();
}
