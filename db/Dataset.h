#pragma once
#include "db/FilterExpr.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Database;
class Dataset;

// The value of one field of the current row, read as the caller needs it.
class Field {
public:
    Field(const QVariant& value, const QString& name) : m_value(value), m_name(name) {}
    const QVariant& value() const { return m_value; }
    bool isNull() const { return m_value.isNull(); }
    QString asString() const;
    // The text without the blanks a fixed-length column is padded with.
    QString asTrimmed() const { return asString().trimmed(); }
    int asInt() const;
    qlonglong asLongLong() const;
    double asFloat() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    QString name() const { return m_name; }

private:
    QVariant m_value;
    QString m_name;
};

// A query opened into a static client-side cursor: every row is read on
// open; navigation, filter, sort and locate work on that buffer. A dataset
// bound to a table and key (setUpdateTable) can also insert, edit, post and
// delete rows. Errors are thrown as DbError.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Insert, Edit };
    enum LocateOption { CaseInsensitive = 1, PartialKey = 2 };

    explicit Dataset(Database& db, const QString& name = QString(), QObject* parent = nullptr);

    QString name() const { return objectName(); }
    Database& database() const { return m_db; }

    // SQL text: set whole, or cleared and built line by line.
    void setSql(const QString& sql);
    QString sql() const { return m_sql; }
    void clearSql() { m_sql.clear(); }
    void addSql(const QString& line);

    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const { return m_params.value(name.toLower()); }

    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    // Re-reads the query and stands on the row that had the same record
    // number (or the last row).
    void refresh();
    State state() const { return m_state; }

    // Rows as they are visible (after filter and sort); numbers are 1-based.
    int recordCount() const { return m_view.size(); }
    bool isEmpty() const { return m_view.isEmpty(); }
    int recNo() const { return m_current + 1; }
    void setRecNo(int recNo);
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool locate(const QString& field, const QVariant& value, int options = 0);

    QStringList fieldNames() const { return m_fields; }
    // The column's type as the driver reports it (exact decimals are read
    // as text but reported as Double).
    QMetaType fieldType(int column) const { return m_types.value(column); }
    int fieldIndex(const QString& name) const;   // -1 when absent
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    Field field(const QString& name) const;      // of the current row
    // The field of a visible row (0-based) without moving the current row;
    // an unknown name throws as field() does.
    Field fieldAt(int row, const QString& name) const;
    QVariant value(const QString& name) const { return field(name).value(); }
    QVariant valueAt(int row, int column) const;  // row: 0-based visible row
    QVariant valueAt(int row, const QString& name) const;
    // The same without a copy; a null value outside the rows and columns.
    const QVariant& valueRefAt(int row, int column) const;

    // Client-side filter text and whether it is in force. Changing either
    // while open re-applies it and moves to the first row.
    void setFilter(const QString& text);
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Client-side sort: "field [desc], field2 ...". Empty keeps query order.
    void setSort(const QString& sort);
    QString sort() const { return m_sortText; }

    // Updatable rows of one table: statements are built from the table and
    // its key; a posted new row reads back what the database assigned.
    void setUpdateTable(const QString& table, const QString& keyField);
    void append();
    void insert() { append(); }
    void edit();
    void setValue(const QString& field, const QVariant& value);
    void post();     // also done by moving to another row
    void cancel();
    void remove();

signals:
    void layoutReset();          // opened, closed, filtered, sorted, re-read
    void currentChanged(int recNo);
    void rowChanged(int row);    // values of one visible row changed

private:
    void applyView(bool keepPosition);
    void postPending();
    void setCurrent(int index);
    int columnOrThrow(const QString& name) const;
    QVariant rawValue(int bufferRow, int column) const;
    QVector<QVariant> fetchRow(const QString& sql, const QVector<QVariant>& binds);

    Database& m_db;
    QString m_sql;
    QHash<QString, QVariant> m_params;
    State m_state = State::Inactive;

    QStringList m_fields;
    QVector<QMetaType> m_types;
    QHash<QString, int> m_fieldIndex;          // lower-case name -> column
    QVector<QVector<QVariant>> m_rows;         // the buffer, in query order
    QVector<int> m_view;                       // visible rows: indices into m_rows
    int m_current = -1;                        // index into m_view
    bool m_eof = true;
    bool m_bof = true;

    QString m_filterText;
    bool m_filtered = false;
    FilterExpr m_filter;
    QString m_sortText;

    QString m_updateTable;
    QString m_keyField;
    QVector<QVariant> m_editOriginal;
    QVector<bool> m_modified;
};
