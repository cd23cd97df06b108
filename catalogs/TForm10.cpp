#include "catalogs/TForm10.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/EditorParts.h"
#include "widgets/WindowUtil.h"
#include "catalogs/TForm3.h"
#include "catalogs/TForm8.h"
#include "db/Command.h"

#include <tuple>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kDuplicate = QStringLiteral("Операция с такими параметрами уже заведена!");

QString num(int v)
{
    return QString::number(v);
}

int readId(TDataModule6& dm, const QString& sql)
{
    dm.Control.close();
    dm.Control.clearSql();
    dm.Control.addSql(sql);
    int id = 0;
    try {
        dm.Control.open();
        id = dm.Control.field(QStringLiteral("id")).asInt();
    } catch (...) {
        dm.Control.close();
        throw;
    }
    dm.Control.close();
    return id;
}

} // namespace

TForm10::TForm10(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Цена операции"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, GroupBox1);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto readOnly = [this](const char* name) {
        auto* e = new QLineEdit(GroupBox1);
        e->setObjectName(QLatin1String(name));
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        return e;
    };
    auto dots = [this](const char* name, const QString& accessible) {
        auto* b = new QPushButton(QStringLiteral("..."), GroupBox1);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(accessible);
        b->setAutoDefault(false);
        b->setFixedWidth(32);
        return b;
    };
    Label1 = label("Label1", QStringLiteral("Марка изделия"));
    Edit1 = readOnly("Edit1");
    Button3 = dots("Button3", QStringLiteral("Выбрать изделие"));
    Label2 = label("Label2", QStringLiteral("Операция"));
    Edit2 = readOnly("Edit2");
    Button4 = dots("Button4", QStringLiteral("Выбрать операцию"));
    Label3 = label("Label3", QStringLiteral("Вид"));
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Готовая продукция"), QStringLiteral("Заготовки")});
    WindowUtil::setBuddy(Label1, Edit1);
    WindowUtil::setBuddy(Label2, Edit2);
    WindowUtil::setBuddy(Label3, ComboBox1);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Button3, 0, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Button4, 1, 2);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(ComboBox1, 2, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(GroupBox1);

    std::tie(Button1, Button2) = WindowUtil::addDialogButtons(this, layout, "Button1", QStringLiteral("Записать"), "Button2",
                                                              QStringLiteral("Отмена"));
    WindowUtil::setTabOrder({Button3, Button4, ComboBox1, Button1, Button2});

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    setFixedSize(QSize(480, sizeHint().height()));
}

void TForm10::setPickers(TForm3& products, TForm8& kinds)
{
    m_products = &products;
    m_kinds = &kinds;
}

void TForm10::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EditorParts::centreOnOpener(*this);
    FormActivate();
}

void TForm10::FormActivate()
{
    Button3->setFocus();
}

void TForm10::Button3Click()
{
    m_products->pick(ListMode::Picker, [this](int id, const QString& mark) {
        Edit1->setText(mark);
        productId = id;
    });
}

void TForm10::Button4Click()
{
    m_kinds->pick(ListMode::Picker, [this](int id, const QString& kind) {
        Edit2->setText(kind);
        kindId = id;
    });
}

void TForm10::Button1Click()
{
    if (Edit1->text().trimmed().isEmpty() || Edit2->text().trimmed().isEmpty()) {
        m_ctx.dialogs.error(this, QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const QString kind = num(kindId);
    const QString type = num(ComboBox1->currentIndex());
    const QString product = num(productId);
    createdOperation = 0;
    bool saved = false;
    m_ctx.dialogs.guarded(this, [&] {
        Dataset& oper = m_dm.Oper;
        int operation = 0;
        if (Tag == EditorMode::New) {
            if (m_dm.CheckDuplicate(QStringLiteral("select count(ID) as cnt from accounts_dep.OPER where vid=") + kind
                                        + QStringLiteral(" and naimen=") + type + QStringLiteral(" and i_id=") + product,
                                    kDuplicate))
                return;
            // The operation comes with its first norm, so that the list shows
            // it at once; the norm's price is left for the user to give.
            Transaction tx(m_dm.ADO_DB);
            // The id is the one this insert returns, whatever the column's
            // default draws it from.
            operation = readId(m_dm, QStringLiteral("insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (")
                                         + kind + QStringLiteral(", ") + type + QStringLiteral(", ") + product
                                         + QStringLiteral(", 0) returning id"));
            m_dm.SQL_exec.setText(QStringLiteral("insert into accounts_dep.norm(o_id, norma, prize, price) values (")
                                  + num(operation) + QStringLiteral(", null, 0, null)"));
            m_dm.SQL_exec.execute();
            tx.commit();
            createdOperation = operation;
        } else {
            operation = oper.field(QStringLiteral("id")).asInt();
            const QString id = num(operation);
            if (m_dm.CheckDuplicate(QStringLiteral("select count(*) as cnt from accounts_dep.OPER where vid=") + kind
                                        + QStringLiteral(" and naimen=") + type + QStringLiteral(" and i_id=") + product
                                        + QStringLiteral(" and id<>") + id,
                                    kDuplicate))
                return;
            m_dm.Oper_ed.setText(QStringLiteral("update accounts_dep.oper set vid=") + kind + QStringLiteral(", naimen=")
                                 + type + QStringLiteral(",  i_id=") + product + QStringLiteral(" where id=") + id);
            m_dm.Oper_ed.execute();
        }
        oper.close();
        oper.open();
        // The list stands on the operation just written.
        oper.locate(QStringLiteral("id"), operation);
        saved = true;
    });
    if (saved)
        accept();
}
