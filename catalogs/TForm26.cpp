#include "catalogs/TForm26.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "catalogs/TForm29.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm26::TForm26(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : CatalogList(context,
                  {.nameField = QStringLiteral("s_caption"),
                   .trimName = false,
                   .clearFilterOnPick = false,
                   .showButtonsAfterPick = true,
                   .focusFilterOnShow = false},
                  parent,
                  Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      item(dm.ADO_DB, QStringLiteral("item")),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form26"));
    setWindowTitle(QStringLiteral("Номенклатура (26)"));
    item.setSql(QStringLiteral("select * from cmn_classifier.item where id_level=2 order by s_caption"));

    addGrid(item, QStringLiteral("Номенклатура"), {{QStringLiteral("s_caption"), QStringLiteral("Наименование"), 400}});
    QHBoxLayout& bottom = addButtonRow();
    Button1 = addButton(bottom, "Button1", QStringLiteral("Удалить"), nullptr);
    Button1->setEnabled(false);
    addFilter(bottom, FilterKeyPolicy::ArrowsAndNoEditingKeys, 1);
    Button2 = addButton(bottom, "Button2", QStringLiteral("Добавить"), [this] { Button2Click(); });
    Button3 = addButton(bottom, "Button3", QStringLiteral("Изменить"), [this] { Button3Click(); });
    bottom.addSpacing(12);
    Button4 = addButton(bottom, "Button4", QStringLiteral("Выход"), [this] { reject(); });
    setRoles(Button3, [this] { Button3Click(); }, nullptr, {Button1, Button2});
    setFixedSize(520, 460);
}

qlonglong TForm26::currentId() const
{
    return item.isOpen() && !item.isEmpty() ? item.field(QStringLiteral("id")).asLongLong() : 0;
}

void TForm26::Button2Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        const int row = item.recNo();
        m_editor->Edit1->clear();
        m_editor->Tag = EditorMode::New;
        m_ctx.dialogs.showModal(*m_editor);
        item.setRecNo(row);
    });
}

void TForm26::Button3Click()
{
    if (Tag == ListMode::Catalog) {
        m_ctx.dialogs.guarded(this, [this] {
            if (item.isEmpty())
                return;
            const int row = item.recNo();
            m_editor->Tag = EditorMode::Change;
            m_editor->Edit1->setText(item.field(QStringLiteral("s_caption")).asTrimmed());
            m_ctx.dialogs.showModal(*m_editor);
            item.setRecNo(row);
        });
        return;
    }
    pickCurrent();
}
