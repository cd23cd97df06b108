#include "widgets/WindowUtil.h"
#include "catalogs/TForm4.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/EditorParts.h"
#include "catalogs/FilterKeys.h"
#include "catalogs/TForm10.h"
#include "catalogs/TForm22.h"
#include "db/Command.h"
#include "db/FilterExpr.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kNoPrice{255, 200, 200};
const QString kNoPriceText = QStringLiteral("нет цены");

QString priceListSql()
{
    return QStringLiteral(
        "select izdel.MARKA, vid_oper.VID, oper.NAIMEN,(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE "
        "'Заготовки' END)) as nmn, oper.CENA_new as cena, oper.id, oper.i_id, oper.VID as oper_vid from "
        "accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER where OPER.i_id=IZDEL.id and "
        "oper.vid=vid_oper.id order by izdel.marka, vid_oper.vid, oper.naimen");
}

} // namespace

QString productTypeText(int naimen)
{
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

QString OperationChoice::text() const
{
    return productMark + QStringLiteral("; ") + kind + QStringLiteral("; ") + productTypeText(productType);
}

TForm4::TForm4(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      XLS_Rep(dm.ADO_DB, QStringLiteral("XLS_Rep")),
      Excel(context.dialogs, this),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Операции"));
    XLS_Rep.setSql(priceListSql());

    auto* layout = new QVBoxLayout(this);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Операции"));
    DBGrid1->setDataset(&m_dm.Oper);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    // An operation none of whose norms has a price says so: it is no price of 0.
    GridColumn price{QStringLiteral("cena"), QStringLiteral("Цена (min)"), 90, right};
    price.format = [](const QVariant& value) {
        return value.isNull() ? kNoPriceText : DatasetModel::defaultText(value, true);
    };
    DBGrid1->setColumns({
        {QStringLiteral("MARKA"), QStringLiteral("Марка"), 170},
        {QStringLiteral("VID"), QStringLiteral("Опреция"), 230},
        price,
        {QStringLiteral("nmn"), QStringLiteral("Вид"), 140},
        {QStringLiteral("norma"), QStringLiteral("Нормы (шт.)"), 90, right},
        {QStringLiteral("id"), QStringLiteral("id"), 0, right, false},
        {QStringLiteral("i_id"), QStringLiteral("i_id"), 0, right, false},
        {QStringLiteral("oper_vid"), QStringLiteral("oper_vid"), 0, right, false},
    });
    // An operation whose norms carry no price yet stands out until one is given.
    DBGrid1->setCellRule([this](int row, const GridColumn& column, CellStyle& style) {
        if (column.field == QLatin1String("cena") && m_dm.Oper.valueAt(row, QStringLiteral("cena")).isNull())
            style.background = kNoPrice;
    });
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    layout->addWidget(DBGrid1, 1);

    auto* filterRow = new QHBoxLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Фильтр"));
    Edit1->setPlaceholderText(QStringLiteral("Марка"));
    filterRow->addWidget(Edit1, 1);
    CheckBox1 = new QCheckBox(QStringLiteral("Цены"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    filterRow->addWidget(CheckBox1);
    layout->addLayout(filterRow);

    auto* bottom = new QHBoxLayout;
    auto button = [this, bottom](const char* name, const QString& text) {
        return WindowUtil::addButton(this, bottom, name, text);
    };
    Button1 = button("Button1", QStringLiteral("Добавить"));
    Button1->setDefault(true);
    Button2 = button("Button2", QStringLiteral("Изменить"));
    Button3 = button("Button3", QStringLiteral("Удалить"));
    Button5 = button("Button5", QStringLiteral("Excel"));
    bottom->addStretch(1);
    Button4 = button("Button4", QStringLiteral("Выход"));
    layout->addLayout(bottom);
    new FilterFieldKeys(Edit1, m_dm.Oper, FilterKeyPolicy::ArrowsAndNoEditingKeys);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { DBGrid1DblClick(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    setFixedSize(760, 540);
}

void TForm4::setEditors(TForm10& priceEditor, TForm22& norms)
{
    m_priceEditor = &priceEditor;
    m_norms = &norms;
}

void TForm4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EditorParts::centreOnOpener(*this);
    FormActivate();
}

void TForm4::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm4::prepareCatalog()
{
    Tag = ListMode::Catalog;
    m_onPicked = nullptr;
    m_dm.Oper.open();
    Button2->setText(QStringLiteral("Изменить"));
    Button2->setDefault(false);
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
}

void TForm4::finishCatalog()
{
    m_dm.Oper.close();
}

void TForm4::preparePicker(int mode, int operationId, OperationPickHandler onPicked)
{
    Tag = mode;
    m_onPicked = std::move(onPicked);
    m_dm.Oper.open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button1->setVisible(false);
    Button3->setVisible(false);
    Button1->setDefault(false);
    Button2->setDefault(true);
    Edit1->setVisible(true);
    {
        const QSignalBlocker quiet(Edit1);
        Edit1->clear();
    }
    Edit1Change();
    if (operationId == 0 || !m_dm.Oper.locate(QStringLiteral("id"), operationId))
        m_dm.Oper.first();
}

void TForm4::finishPicker()
{
    Button2->setDefault(false);
    Button1->setDefault(true);
    Edit1->setVisible(false);
    m_dm.Oper.setFiltered(false);
}

int TForm4::pick(int mode, int operationId, OperationPickHandler onPicked)
{
    if (!m_ctx.dialogs.guarded(this, [&] { preparePicker(mode, operationId, std::move(onPicked)); }))
        return QDialog::Rejected;
    const int result = m_ctx.dialogs.showModal(*this);
    m_ctx.dialogs.guarded(this, [this] { finishPicker(); });
    return result;
}

void TForm4::Button1Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        m_priceEditor->Edit1->clear();
        m_priceEditor->Edit2->clear();
        m_priceEditor->ComboBox1->setCurrentIndex(0);
        m_priceEditor->setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
        m_priceEditor->Tag = EditorMode::New;
        m_priceEditor->createdOperation = 0;
        m_ctx.dialogs.showModal(*m_priceEditor);
        // A new operation has one norm without a price: its price is given
        // right away in its norms.
        if (const int created = m_priceEditor->createdOperation; created > 0)
            openNorms(created);
    });
}

void TForm4::Button2Click()
{
    if (Tag == ListMode::Catalog) {
        changeOperation();
        return;
    }
    bool handed = false;
    m_ctx.dialogs.guarded(this, [&] {
        Dataset& oper = m_dm.Oper;
        if (oper.isEmpty() || !m_onPicked)
            return;
        OperationChoice choice;
        choice.id = oper.field(QStringLiteral("id")).asInt();
        choice.productId = oper.field(QStringLiteral("i_id")).asInt();
        const Field price = oper.field(QStringLiteral("cena"));
        choice.hasPrice = !price.isNull();
        choice.listPrice = price.asFloat();
        choice.kind = oper.field(QStringLiteral("VID")).asTrimmed();
        choice.productType = oper.field(QStringLiteral("NAIMEN")).asInt();
        // The product's mark as the products hold it now.
        Dataset& control = m_dm.Control;
        control.close();
        control.clearSql();
        control.addSql(QStringLiteral("select marka from accounts_dep.izdel where id=") + QString::number(choice.productId));
        try {
            control.open();
            choice.productMark = control.field(QStringLiteral("marka")).asTrimmed();
        } catch (...) {
            control.close();
            throw;
        }
        control.close();
        handed = true;
        m_onPicked(choice);
    });
    done(handed ? QDialog::Accepted : QDialog::Rejected);
}

void TForm4::changeOperation()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& oper = m_dm.Oper;
        if (oper.isEmpty())
            return;
        m_priceEditor->setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
        m_priceEditor->Tag = EditorMode::Change;
        m_priceEditor->createdOperation = 0;
        m_priceEditor->Edit1->setText(oper.field(QStringLiteral("MARKA")).asTrimmed());
        m_priceEditor->Edit2->setText(oper.field(QStringLiteral("VID")).asTrimmed());
        m_priceEditor->ComboBox1->setCurrentIndex(oper.field(QStringLiteral("NAIMEN")).asInt() == 0 ? 0 : 1);
        m_priceEditor->productId = oper.field(QStringLiteral("i_id")).asInt();
        m_priceEditor->kindId = oper.field(QStringLiteral("oper_vid")).asInt();
        m_ctx.dialogs.showModal(*m_priceEditor);
    });
}

void TForm4::Button3Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& oper = m_dm.Oper;
        if (oper.isEmpty())
            return;
        if (!m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), QStringLiteral("Удалить операцию?")))
            return;
        m_dm.Oper_del.setParam(QStringLiteral("id"), oper.field(QStringLiteral("id")).asInt());
        m_dm.Oper_del.execute();
        oper.close();
        oper.open();
    });
}

void TForm4::DBGrid1DblClick()
{
    if (Tag != ListMode::Catalog || !CheckBox1->isChecked()) {
        Button2Click();
        return;
    }
    m_ctx.dialogs.guarded(this, [this] {
        if (!m_dm.Oper.isEmpty())
            openNorms(m_dm.Oper.field(QStringLiteral("id")).asInt());
    });
}

void TForm4::openNorms(int operationId)
{
    m_norms->openFor(operationId);
    m_ctx.dialogs.showModal(*m_norms);
}

void TForm4::Edit1Change()
{
    m_ctx.dialogs.guarded(this, [this] {
        const QString text = Edit1->text();
        if (text.trimmed().isEmpty()) {
            m_dm.Oper.setFiltered(false);
            return;
        }
        m_dm.Oper.setFilter(filterLikeContains(QStringLiteral("marka"), text));
        m_dm.Oper.setFiltered(true);
    });
}

void TForm4::Button5Click()
{
    m_ctx.dialogs.guarded(this, [this] { exportPriceList(); });
}

void TForm4::exportPriceList()
{
    WindowUtil::WaitCursor wait;
    XLS_Rep.close();
    XLS_Rep.open();
    if (Excel.Open(QString(), QStringLiteral("Цены")) == -1)
        return;
    const QString header[] = {QStringLiteral("Марка"), QStringLiteral("Операция"), QStringLiteral("Цена"),
                              QStringLiteral("Вид")};
    for (int column = 1; column <= 4; ++column)
        if (Excel.WriteCell(1, column, 1, header[column - 1]) == -1)
            return;
    const int marka = XLS_Rep.fieldIndex(QStringLiteral("MARKA"));
    const int vid = XLS_Rep.fieldIndex(QStringLiteral("VID"));
    const int cena = XLS_Rep.fieldIndex(QStringLiteral("cena"));
    const int naimen = XLS_Rep.fieldIndex(QStringLiteral("NAIMEN"));
    const int rows = XLS_Rep.recordCount();
    for (int r = 0; r < rows; ++r) {
        const int sheetRow = r + 2;
        const QVariant price = XLS_Rep.valueAt(r, cena);
        const int type = Field(XLS_Rep.valueAt(r, naimen), QStringLiteral("NAIMEN")).asInt();
        // A failed write has shown its box; the rest is not tried.
        if (Excel.WriteCell(1, 1, sheetRow, XLS_Rep.valueAt(r, marka).toString().trimmed()) == -1
            || Excel.WriteCell(1, 2, sheetRow, XLS_Rep.valueAt(r, vid).toString().trimmed()) == -1
            || (!price.isNull() && Excel.WriteCell(1, 3, sheetRow, Field(price, QStringLiteral("cena")).asFloat()) == -1)
            || Excel.WriteCell(1, 4, sheetRow, productTypeText(type)) == -1)
            return;
    }
    Excel.SetVisible(true);
    XLS_Rep.close();
}
