#pragma once
#include <type_traits>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

// One ODBC connection to the enterprise database. Every dataset and command
// of a data module runs on the same Database.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void setConnectionText(const QString& text) { m_connectionText = text; }
    QString connectionText() const { return m_connectionText; }

    // Opens the connection; throws DbError with the driver's message on failure.
    void open();
    void close();
    bool isOpen() const;

    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // What the open transaction has established and keeps until it ends (a
    // lock it holds, a state that lock protects), so that it is not
    // established twice. Outside a transaction nothing is kept; a
    // transaction's end forgets it all.
    bool holds(const QString& fact) const { return m_held.contains(fact); }
    void hold(const QString& fact)
    {
        if (m_inTransaction)
            m_held.insert(fact);
    }
    void forget(const QString& fact) { m_held.remove(fact); }

    QSqlDatabase handle() const;

private:
    QString m_name;
    QString m_connectionText;
    bool m_inTransaction = false;
    QSet<QString> m_held;
};

// Runs a block of statements as one transaction: commits on commit(),
// rolls back when left without it (an exception, an early return).
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db) { m_db.beginTransaction(); }
    ~Transaction() {
        if (!m_done) {
            try { m_db.rollback(); } catch (...) {}
        }
    }
    void commit() { m_db.commit(); m_done = true; }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Database& m_db;
    bool m_done = false;
};

// Runs `body` inside the transaction open on `db`, or inside one of its own
// that commits when `body` returns and rolls back when it throws; answers
// what `body` answers.
template <typename F>
auto inTransaction(Database& db, F body) -> decltype(body())
{
    if (db.inTransaction())
        return body();
    Transaction tx(db);
    if constexpr (std::is_void_v<decltype(body())>) {
        body();
        tx.commit();
    } else {
        auto result = body();
        tx.commit();
        return result;
    }
}

// The database's own message of a failed statement, for the user.
QString sqlErrorText(const class QSqlError& error);
