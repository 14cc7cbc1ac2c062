#include "database.h"

#include "schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QThread>

#include <algorithm>
#include <atomic>

namespace vexor {

// The names of a database's open connections, whatever thread opened them. A connection is
// dropped once, under the lock, either by its thread when the thread ends or by the database
// when it goes: the two must never close the same connection at the same time (QtSql deletes
// the driver of a connection removed while another thread still holds it).
struct Database::Registry
{
    struct Entry
    {
        QString name;
        Qt::HANDLE thread;
    };
    std::mutex lock;
    std::vector<Entry> entries;

    void add(const QString &name)
    {
        std::lock_guard guard(lock);
        entries.push_back({name, QThread::currentThreadId()});
    }

    void drop(const QString &name);
    void dropAll();
};

struct Database::Connection
{
    std::shared_ptr<Registry> registry;
    quint64 serial = 0;
    QString name;
    int transactionDepth = 0;
};

namespace {

std::atomic<quint64> nextSerial{1};

void dropConnection(const QString &name, bool ownThread)
{
    // QtSql refuses to work without an application object; at process exit it may be gone.
    if (!QCoreApplication::instance())
        return;
    // Only its own thread may take a connection out of QtSql's list to close it; removing it
    // closes it too.
    if (ownThread) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// This thread's connections, one per database it used. Removed when the thread ends.
struct ThreadConnections
{
    std::vector<std::unique_ptr<Database::Connection>> list;

    ~ThreadConnections()
    {
        for (const auto &c : list)
            c->registry->drop(c->name);
    }
};

thread_local ThreadConnections threadConnections;

QString describe(const QSqlQuery &query, const QString &sql)
{
    QString statement = sql.simplified();
    if (statement.size() > 300)
        statement = statement.left(300) + QStringLiteral("...");
    return QStringLiteral("%1 [%2]").arg(query.lastError().text(), statement);
}

// Qt binds a null QString as NULL; here text is text, and NULL is an invalid QVariant only.
QVariant bindable(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QString::fromLatin1(""));
    return value;
}

} // namespace

void Database::Registry::drop(const QString &name)
{
    std::lock_guard guard(lock);
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const Entry &e) { return e.name == name; });
    if (found == entries.end())
        return;
    entries.erase(found);
    dropConnection(name, true);
}

void Database::Registry::dropAll()
{
    std::lock_guard guard(lock);
    for (const Entry &e : entries)
        dropConnection(e.name, e.thread == QThread::currentThreadId());
    entries.clear();
}

Database::Database(QString path)
    : m_path(std::move(path))
    , m_serial(nextSerial++)
    , m_registry(std::make_shared<Registry>())
{
}

Database::~Database()
{
    auto &mine = threadConnections.list;
    std::erase_if(mine, [this](const auto &c) { return c->serial == m_serial; });
    // Connections of other threads are dropped here too: their threads may live much longer
    // than the database (pool threads wait for work), and nothing may use them any more.
    m_registry->dropAll();
}

std::shared_ptr<Database> Database::open(const QString &path)
{
    if (path.isEmpty())
        throw DatabaseError("no database file given");
    const QFileInfo info(path);
    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath()))
        throw DatabaseError(QStringLiteral("cannot create the folder of %1").arg(path).toStdString());
    std::shared_ptr<Database> db(new Database(info.absoluteFilePath()));
    ensureSchema(*db);
    return db;
}

std::shared_ptr<Database> Database::create(const QString &path, bool replace)
{
    if (QFileInfo::exists(path)) {
        if (!replace)
            throw DatabaseError(QStringLiteral("%1 exists already").arg(path).toStdString());
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            QFile file(path + suffix);
            if (file.exists() && !file.remove())
                throw DatabaseError(QStringLiteral("cannot remove %1: %2").arg(file.fileName(), file.errorString()).toStdString());
        }
    }
    return open(path);
}

Database::Connection &Database::threadConnection()
{
    auto &mine = threadConnections.list;
    for (const auto &c : mine) {
        if (c->serial == m_serial)
            return *c;
    }
    auto c = std::make_unique<Connection>();
    c->registry = m_registry;
    c->serial = m_serial;
    c->name = QStringLiteral("vexor-db%1-thread%2")
                  .arg(m_serial)
                  .arg(quintptr(QThread::currentThreadId()), 0, 16);
    openConnection(*c);
    m_registry->add(c->name);
    mine.push_back(std::move(c));
    return *mine.back();
}

void Database::openConnection(Connection &c)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c.name);
    db.setDatabaseName(m_path);
    // Writers wait for each other instead of failing at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open()) {
        const QString error = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(c.name);
        throw DatabaseError(QStringLiteral("cannot open %1: %2").arg(m_path, error).toStdString());
    }
    QSqlQuery q(db);
    // WAL lets readers go on while one writer writes; NORMAL sync is safe with WAL (a crash
    // loses at most the last transactions, never the file's consistency).
    for (const char *pragma : {"PRAGMA journal_mode = WAL", "PRAGMA foreign_keys = ON", "PRAGMA synchronous = NORMAL",
                               "PRAGMA busy_timeout = 10000", "PRAGMA temp_store = MEMORY", "PRAGMA cache_size = -32000"}) {
        if (!q.exec(QString::fromLatin1(pragma)))
            throw DatabaseError(describe(q, QString::fromLatin1(pragma)).toStdString());
    }
}

QSqlDatabase Database::connection()
{
    return QSqlDatabase::database(threadConnection().name, false);
}

QSqlQuery Database::prepare(const QString &sql)
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DatabaseError(describe(q, sql).toStdString());
    return q;
}

void Database::run(QSqlQuery &query, std::initializer_list<QVariant> params)
{
    int i = 0;
    for (const QVariant &v : params)
        query.bindValue(i++, bindable(v));
    if (!query.exec())
        throw DatabaseError(describe(query, query.lastQuery()).toStdString());
}

void Database::run(QSqlQuery &query, const std::vector<QVariant> &params)
{
    for (size_t i = 0; i < params.size(); ++i)
        query.bindValue(int(i), bindable(params[i]));
    if (!query.exec())
        throw DatabaseError(describe(query, query.lastQuery()).toStdString());
}

QSqlQuery Database::exec(const QString &sql, std::initializer_list<QVariant> params)
{
    QSqlQuery q = prepare(sql);
    run(q, params);
    return q;
}

QSqlQuery Database::exec(const QString &sql, const std::vector<QVariant> &params)
{
    QSqlQuery q = prepare(sql);
    run(q, params);
    return q;
}

std::optional<QVariant> Database::scalar(const QString &sql, std::initializer_list<QVariant> params)
{
    QSqlQuery q = exec(sql, params);
    if (!q.next())
        return std::nullopt;
    return q.value(0);
}

qint64 Database::insert(const QString &sql, std::initializer_list<QVariant> params)
{
    QSqlQuery q = exec(sql, params);
    const QVariant id = q.lastInsertId();
    if (!id.isValid())
        throw DatabaseError(QStringLiteral("no key from [%1]").arg(sql.simplified()).toStdString());
    return id.toLongLong();
}

int Database::change(const QString &sql, std::initializer_list<QVariant> params)
{
    return exec(sql, params).numRowsAffected();
}

void Database::execScript(const QStringList &statements)
{
    QSqlQuery q(connection());
    for (const QString &sql : statements) {
        if (!q.exec(sql))
            throw DatabaseError(describe(q, sql).toStdString());
    }
}

bool Database::inTransaction()
{
    return threadConnection().transactionDepth > 0;
}

Transaction::Transaction(Database &db)
    : m_db(db)
{
    Database::Connection &c = db.threadConnection();
    m_depth = c.transactionDepth + 1;
    QSqlQuery q(db.connection());
    const QString sql = m_depth == 1 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT sp%1").arg(m_depth);
    if (!q.exec(sql))
        throw DatabaseError(describe(q, sql).toStdString());
    c.transactionDepth = m_depth;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    Database::Connection &c = m_db.threadConnection();
    QSqlQuery q(m_db.connection());
    const QStringList statements = m_depth == 1
        ? QStringList{QStringLiteral("ROLLBACK")}
        : QStringList{QStringLiteral("ROLLBACK TO SAVEPOINT sp%1").arg(m_depth), QStringLiteral("RELEASE SAVEPOINT sp%1").arg(m_depth)};
    for (const QString &sql : statements) {
        if (!q.exec(sql))
            qWarning("vexor-server: %s failed: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    c.transactionDepth = m_depth - 1;
}

void Transaction::commit()
{
    if (m_done)
        throw DatabaseError("transaction committed twice");
    Database::Connection &c = m_db.threadConnection();
    if (c.transactionDepth != m_depth)
        throw DatabaseError("an inner transaction is still open");
    QSqlQuery q(m_db.connection());
    const QString sql = m_depth == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT sp%1").arg(m_depth);
    if (!q.exec(sql))
        throw DatabaseError(describe(q, sql).toStdString());
    m_done = true;
    c.transactionDepth = m_depth - 1;
}

BatchInsert::BatchInsert(Database &db, QString head, int columns, int rowsPerStatement)
    : m_db(db)
    , m_head(std::move(head))
    , m_columns(columns)
    // Qt's SQLite driver looks every parameter up by name, at a cost that grows with the
    // number of parameters of the statement; past a couple of hundred that lookup dominates.
    , m_rowsPerStatement(std::clamp(rowsPerStatement, 1, std::max(1, 200 / std::max(1, columns))))
{
    m_values.reserve(size_t(m_columns * m_rowsPerStatement));
}

BatchInsert::~BatchInsert()
{
    if (!m_values.empty())
        qWarning("vexor-server: %d rows of [%s] were never written", int(m_values.size()) / m_columns, qPrintable(m_head));
}

void BatchInsert::add(std::initializer_list<QVariant> row)
{
    if (int(row.size()) != m_columns)
        throw DatabaseError(QStringLiteral("%1 values for %2 columns of [%3]").arg(row.size()).arg(m_columns).arg(m_head).toStdString());
    m_values.insert(m_values.end(), row.begin(), row.end());
    if (int(m_values.size()) == m_columns * m_rowsPerStatement)
        send(m_rowsPerStatement);
}

void BatchInsert::add(const std::vector<QVariant> &row)
{
    if (int(row.size()) != m_columns)
        throw DatabaseError(QStringLiteral("%1 values for %2 columns of [%3]").arg(row.size()).arg(m_columns).arg(m_head).toStdString());
    m_values.insert(m_values.end(), row.begin(), row.end());
    if (int(m_values.size()) == m_columns * m_rowsPerStatement)
        send(m_rowsPerStatement);
}

void BatchInsert::flush()
{
    for (BatchInsert *parent : m_parents)
        parent->flush();
    if (!m_values.empty())
        send(int(m_values.size()) / m_columns);
}

void BatchInsert::send(int rows)
{
    for (BatchInsert *parent : m_parents)
        parent->flush();
    auto it = m_statements.find(rows);
    if (it == m_statements.end()) {
        QString one = QStringLiteral("(?");
        for (int c = 1; c < m_columns; ++c)
            one += QStringLiteral(",?");
        one += QLatin1Char(')');
        QString sql = m_head + QStringLiteral(" VALUES ") + one;
        for (int r = 1; r < rows; ++r)
            sql += QLatin1Char(',') + one;
        it = m_statements.emplace(rows, m_db.prepare(sql)).first;
    }
    Database::run(it->second, m_values);
    m_written += rows;
    m_values.clear();
}

} // namespace vexor
