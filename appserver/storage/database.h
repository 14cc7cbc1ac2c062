#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vexor {

// A failure of the database: the message names the statement and the driver's text. It is
// meant for the server's log; the protocol endpoint answers a client with a generic error and
// never with this text.
class DatabaseError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The server's storage: one SQLite file in WAL mode, shared by all worker threads. Qt allows a
// connection only on the thread that opened it, so every thread gets its own connection,
// named after the database and the thread, opened on first use and removed when the thread
// ends or the database is destroyed, whichever comes first.
//
// Every statement is prepared and takes its values as bound parameters; no SQL is ever put
// together from text that came from a client. The SQL itself keeps to what PostgreSQL also
// understands, except where the schema says otherwise.
class Database
{
public:
    // Opens the file, creating it (and the schema) when it does not exist yet. Throws
    // DatabaseError when the file cannot be opened or holds another schema version.
    static std::shared_ptr<Database> open(const QString &path);
    // Creates a new database file with an empty schema; an existing file is an error unless
    // `replace` is set, in which case it is removed first (with its WAL files).
    static std::shared_ptr<Database> create(const QString &path, bool replace = false);

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &path() const { return m_path; }

    // This thread's connection, opened on first use.
    QSqlDatabase connection();

    // A statement prepared on this thread's connection, ready for binding and exec().
    // Queries read forward only, which is all the server needs and the cheapest for SQLite.
    QSqlQuery prepare(const QString &sql);

    // Runs a statement with positional parameters; returns the query for reading its rows.
    // A QString binds as text even when it is null; NULL is bound by an invalid QVariant().
    QSqlQuery exec(const QString &sql, std::initializer_list<QVariant> params = {});
    QSqlQuery exec(const QString &sql, const std::vector<QVariant> &params);
    // Runs an already prepared statement with new values (for loops over many rows).
    static void run(QSqlQuery &query, std::initializer_list<QVariant> params);
    static void run(QSqlQuery &query, const std::vector<QVariant> &params);

    // The first column of the first row, or std::nullopt when there is no row.
    std::optional<QVariant> scalar(const QString &sql, std::initializer_list<QVariant> params = {});
    // Runs an INSERT and returns the new row's key.
    qint64 insert(const QString &sql, std::initializer_list<QVariant> params = {});
    // Runs a statement and returns the number of rows it changed.
    int change(const QString &sql, std::initializer_list<QVariant> params = {});

    // Statements without parameters, such as the schema's CREATE statements.
    void execScript(const QStringList &statements);

    // True while this thread has a transaction open on this database.
    bool inTransaction();

    // One thread's connection to this database (internal to the storage layer).
    struct Connection;

private:
    friend class Transaction;

    explicit Database(QString path);
    Connection &threadConnection();
    void openConnection(Connection &c);

    QString m_path;
    struct Registry;

    quint64 m_serial;
    // The connections of every thread; shared with the threads' own lists, which may outlive
    // the database.
    std::shared_ptr<Registry> m_registry;
};

// A transaction on this thread's connection: BEGIN on construction, commit() to keep the
// changes; a transaction that is destroyed without commit() (an exception on the way) rolls
// back. Transactions nest: an inner one is a savepoint of the outer one.
//
// SQLite takes the write lock at once (BEGIN IMMEDIATE), so two writers never deadlock
// half way; they wait for each other within the busy time-out instead.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &m_db;
    int m_depth;
    bool m_done = false;
};

// Inserts many rows through multi-row INSERT statements, many times faster than one statement
// per row. `head` is the statement up to its VALUES ("INSERT INTO t (a, b)"), written in the
// code. Rows are sent whenever a statement is full and by flush(), which the owner must call
// before the inserter goes (a destructor cannot report a failure).
class BatchInsert
{
public:
    BatchInsert(Database &db, QString head, int columns, int rowsPerStatement = 200);
    ~BatchInsert();
    BatchInsert(const BatchInsert &) = delete;
    BatchInsert &operator=(const BatchInsert &) = delete;

    // Rows of `parent` are sent before any of this inserter's, so that foreign keys to them hold;
    // flush() flushes the parents too.
    void dependsOn(BatchInsert &parent) { m_parents.push_back(&parent); }

    void add(std::initializer_list<QVariant> row);
    void add(const std::vector<QVariant> &row);
    void flush();
    qint64 rowsWritten() const { return m_written; }

private:
    void send(int rows);

    Database &m_db;
    QString m_head;
    int m_columns;
    int m_rowsPerStatement;
    std::map<int, QSqlQuery> m_statements; // by number of rows
    std::vector<QVariant> m_values;
    std::vector<BatchInsert *> m_parents;
    qint64 m_written = 0;
};

} // namespace vexor
