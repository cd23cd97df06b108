#include "catalogs/TForm22.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/EditorParts.h"
#include "catalogs/DecimalKeys.h"
#include "widgets/DigitKeys.h"
#include "db/DbError.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <limits>

namespace {

const QString kPrice = QStringLiteral("price");

QString fieldOf(const QModelIndex& index)
{
    const auto* model = qobject_cast<const DatasetModel*>(index.model());
    return model ? model->columns().at(index.column()).field : QString();
}

// The value typed into a cell: an empty cell is NULL; norma and prize are
// whole numbers, the price a decimal with either separator.
QVariant cellValue(const QString& field, const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return QVariant();
    bool ok = false;
    if (field == kPrice) {
        const double price = QString(text).replace(u',', u'.').toDouble(&ok);
        if (!ok)
            throw DbError(QStringLiteral("'%1' не является числом").arg(typed));
        return price;
    }
    const qlonglong whole = text.toLongLong(&ok);
    if (!ok || whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
        throw DbError(QStringLiteral("'%1' не является целым числом").arg(typed));
    return int(whole);
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toDouble() == b.toDouble();
}

} // namespace

// The cell editor of the norms grid: digits for the whole-number columns,
// a decimal for the price. A typed value goes to the window, which writes
// the row at once.
class NormCellDelegate : public QStyledItemDelegate {
public:
    explicit NormCellDelegate(TForm22* form) : QStyledItemDelegate(form), m_form(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        if (fieldOf(index) == kPrice)
            new DecimalKeyFilter(editor);
        else
            new DigitKeyFilter(editor);
        m_open = editor;
        m_openIndex = index;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QVariant value = index.data(Qt::EditRole);
        static_cast<QLineEdit*>(editor)->setText(fieldOf(index) == kPrice ? decimalEditText(value)
                                                                           : (value.isNull() ? QString() : value.toString()));
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        m_form->commitCell(index.row(), fieldOf(index), static_cast<QLineEdit*>(editor)->text());
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (m_open == editor)
            m_open = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    // Writes and closes the cell being edited, if any.
    void commitOpenEditor()
    {
        if (QWidget* editor = m_open) {
            m_open = nullptr;
            emit commitData(editor);
            // A written cell re-reads the grid, which has let go of its
            // editors already; only a cell still shown is closed.
            if (m_openIndex.isValid())
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

protected:
    // Enter writes the cell and stays in the grid; the next Enter saves.
    // Esc saves too, as everywhere in the window: the typed value is
    // written, and unless it was refused the window saves and closes.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && object == m_open) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                commitOpenEditor();
                return true;
            }
            if (key == Qt::Key_Escape) {
                commitOpenEditor();
                if (!m_form->rowPending() && !m_form->cellRefused())
                    m_form->Button1Click();
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TForm22* m_form;
    mutable QPointer<QWidget> m_open;
    mutable QPersistentModelIndex m_openIndex;
};

TForm22::TForm22(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      norm(dm.ADO_DB, QStringLiteral("norm")),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form22"));
    setWindowTitle(QStringLiteral("Норматив"));
    norm.setSql(QStringLiteral(
        "select id, o_id, norma, price, prize from accounts_dep.norm where o_id=:o_id order by norma, id"));
    norm.setUpdateTable(QStringLiteral("accounts_dep.norm"), QStringLiteral("id"));

    auto* layout = new QVBoxLayout(this);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Нормативы"));
    DBGrid1->setDataset(&norm);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    GridColumn price{kPrice, QStringLiteral("Цена"), 110, right, true, false};
    price.format = &TForm22::priceText;
    DBGrid1->setColumns({
        {QStringLiteral("id"), QStringLiteral("id"), 0, right, false},
        {QStringLiteral("o_id"), QStringLiteral("o_id"), 0, right, false},
        {QStringLiteral("norma"), QStringLiteral("Норматив"), 110, right, true, false},
        price,
        {QStringLiteral("prize"), QStringLiteral("Премия, %"), 110, right, true, false},
    });
    DBGrid1->datasetModel()->setEditable(true);
    m_delegate = new NormCellDelegate(this);
    DBGrid1->setItemDelegate(m_delegate);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    DBGrid1->setTabKeyNavigation(false);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->installEventFilter(this);
    DBGrid1->viewport()->installEventFilter(this);
    layout->addWidget(DBGrid1, 1);

    auto* buttons = new QHBoxLayout;
    Button2 = new QPushButton(QStringLiteral("Удалить"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Сохранить"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    setFixedSize(400, 320);
}

QString TForm22::priceText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(value.toDouble(), 'f', 3);
    if (text.endsWith(u'0'))
        text.chop(1);
    return text;
}

void TForm22::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EditorParts::centreOnOpener(*this);
}

void TForm22::openFor(int operation)
{
    operationId = operation;
    newRow = false;
    m_rowTouched = false;
    norm.close();
    norm.setParam(QStringLiteral("o_id"), operation);
    norm.setFilter(QStringLiteral("o_id=") + QString::number(operation));
    norm.setFiltered(true);
    norm.open();
}

bool TForm22::settleRow()
{
    m_delegate->commitOpenEditor();
    if (norm.state() == Dataset::State::Insert && !m_rowTouched) {
        norm.cancel();
        newRow = false;
        return true;
    }
    return false;
}

void TForm22::appendRow()
{
    settleRow();
    if (!norm.isOpen() || norm.state() == Dataset::State::Insert)
        return;
    norm.append();
    newRow = true;
    m_rowTouched = false;
    const int normaColumn = 2;
    DBGrid1->setCurrentIndex(DBGrid1->model()->index(norm.recNo() - 1, normaColumn));
}

void TForm22::DBGrid1ColEnter()
{
    if (norm.isOpen() && norm.recNo() <= 0)
        appendRow();
}

void TForm22::DBGrid1ColExit()
{
    if (norm.state() == Dataset::State::Browse || norm.state() == Dataset::State::Inactive)
        return;
    // However the row was started, a new norm belongs to this operation.
    if (norm.state() == Dataset::State::Insert)
        norm.setValue(QStringLiteral("o_id"), operationId);
    // A refused row stays as the user typed it, unsaved, to be put right.
    norm.post();
    newRow = false;
    m_rowTouched = false;
    // The grid is read again in the order of the standard quantity, on the
    // norm just written.
    const QVariant saved = norm.value(QStringLiteral("id"));
    const int column = DBGrid1->currentIndex().column();
    norm.refresh();
    if (!saved.isNull())
        norm.locate(QStringLiteral("id"), saved);
    // The cursor stays in the column it was in.
    if (column >= 0 && norm.recNo() > 0)
        DBGrid1->setCurrentIndex(DBGrid1->model()->index(norm.recNo() - 1, column));
}

bool TForm22::rowPending() const
{
    return norm.state() == Dataset::State::Edit || (norm.state() == Dataset::State::Insert && m_rowTouched);
}

bool TForm22::leaveRow()
{
    if (rowPending())
        m_ctx.dialogs.guarded(this, [this] { DBGrid1ColExit(); });
    return !rowPending();
}

void TForm22::commitCell(int row, const QString& field, const QString& text)
{
    // A box shown while a cell is written takes the focus from the cell,
    // which would write it once more.
    if (m_committing)
        return;
    QScopedValueRollback<bool> guard(m_committing, true);
    m_cellRefused = !m_ctx.dialogs.guarded(this, [&] {
        if (!norm.isOpen() || row < 0 || row >= norm.recordCount())
            return;
        if (norm.recNo() != row + 1) {
            if (norm.state() != Dataset::State::Browse)
                return;
            norm.setRecNo(row + 1);
        }
        const QVariant value = cellValue(field, text);
        if (sameValue(norm.value(field), value))
            return;
        norm.setValue(field, value);
        m_rowTouched = true;
        DBGrid1ColExit();
    });
}

void TForm22::Button1Click()
{
    const bool saved = m_ctx.dialogs.guarded(this, [this] {
        settleRow();
        DBGrid1ColExit();
        // The list shows the new lowest price and number of norms, on the
        // same row as before.
        Dataset& oper = m_dm.Oper;
        const int row = oper.recNo();
        oper.close();
        oper.open();
        if (row > 0)
            oper.setRecNo(row);
    });
    if (saved)
        accept();
}

void TForm22::reject()
{
    // Esc and the close box save, as "Сохранить" does.
    Button1Click();
}

void TForm22::Button2Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        // A new row nothing was typed into is simply dropped.
        if (settleRow())
            return;
        // An operation keeps at least the norm it has.
        if (norm.recordCount() > 1)
            norm.remove();
        norm.refresh();
    });
}

bool TForm22::eventFilter(QObject* watched, QEvent* event)
{
    const bool inserting = norm.state() == Dataset::State::Insert;
    if (watched == DBGrid1 && event->type() == QEvent::FocusIn) {
        m_ctx.dialogs.guarded(this, [this] { DBGrid1ColEnter(); });
    } else if (watched == DBGrid1->viewport()
               && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const QModelIndex at = DBGrid1->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        // Another row only once this one is written.
        if (at.isValid() && at.row() != norm.recNo() - 1 && !leaveRow())
            return true;
        m_ctx.dialogs.guarded(this, [&] {
            if (norm.isOpen() && norm.isEmpty())
                appendRow();
            else if (inserting && (!at.isValid() || at.row() != norm.recNo() - 1))
                settleRow();
        });
    } else if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool movesRow = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp
            || key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_Insert;
        if (movesRow && rowPending() && !leaveRow())
            return true;
        if (inserting && norm.state() == Dataset::State::Insert) {
            switch (key) {
            case Qt::Key_Up:
            case Qt::Key_PageUp:
            case Qt::Key_Home:
                // Leaving a new row nothing was typed into drops it.
                m_ctx.dialogs.guarded(this, [this] { settleRow(); });
                return true;
            case Qt::Key_Down:
            case Qt::Key_PageDown:
            case Qt::Key_End:
            case Qt::Key_Insert:
                return true;
            default:
                break;
            }
        } else if (norm.isOpen()
                   && ((key == Qt::Key_Down && norm.recNo() == norm.recordCount()) || key == Qt::Key_Insert)) {
            m_ctx.dialogs.guarded(this, [this] { appendRow(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
