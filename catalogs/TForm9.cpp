#include "catalogs/TForm9.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "ledger/CatalogSql.h"
#include "widgets/EditorParts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

TForm9::TForm9(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));

    auto* layout = new QVBoxLayout(this);
    std::tie(GroupBox1, Edit1) =
        EditorParts::addFieldGroup(*this, *layout, QStringLiteral("Вид операции"), QStringLiteral("Операция"), 50);

    std::tie(Button1, Button2) = EditorParts::addButtons(*this, *layout, "Button2", QStringLiteral("Отмена"));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    setFixedSize(QSize(440, sizeHint().height()));
}

void TForm9::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the window that opened it.
    EditorParts::centreOnOpener(*this);
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
            if (CatalogSql::checkDuplicate(m_dm, CatalogSql::kindDuplicate(name, kinds.field(QStringLiteral("id")).asLongLong()),
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
