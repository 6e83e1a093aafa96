// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/change_log.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace {

constexpr const char *kColumns =
    "time, user, host, program, serial, hardware_type, firmware, address, action, target, key, old, new, "
    "result, status, hash";

// A database connection of its own for each use, closed again when it ends: the program and a
// second program may append to the same file, and nothing stays open between writes.
class Connection {
public:
    explicit Connection(const std::string &path)
    {
        static std::atomic<int> serial{0};
        name_ = QStringLiteral("mq-change-log-%1").arg(++serial);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(QString::fromStdString(path));
        // A second writer waits for the first instead of failing at once.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
        opened_ = db.open();
        if (!opened_)
            error_ = db.lastError();
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    bool opened() const { return opened_; }
    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }
    const QSqlError &openError() const { return error_; }

private:
    QString name_;
    bool opened_ = false;
    QSqlError error_;
};

std::string errorText(const QSqlError &e)
{
    std::string text = e.driverText().toStdString();
    const std::string db = e.databaseText().toStdString();
    if (!db.empty())
        text += text.empty() ? db : ": " + db;
    return text.empty() ? "unknown error" : text;
}

// SQLITE_NOTADB and SQLITE_CORRUPT: the file is no log we can use.
bool notADatabase(const QSqlError &e)
{
    const int code = e.nativeErrorCode().toInt() & 0xFF;
    return code == 26 || code == 11;
}

bool exec(QSqlQuery &q, const char *sql) { return q.exec(QString::fromUtf8(sql)); }

bool createSchema(QSqlDatabase db, QSqlError *error)
{
    QSqlQuery q(db);
    if (exec(q, "CREATE TABLE IF NOT EXISTS changes (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, "
                "user TEXT, host TEXT, program TEXT, serial TEXT, hardware_type TEXT, firmware TEXT, "
                "address TEXT, action TEXT, target TEXT, key TEXT, old INTEGER, new INTEGER, result TEXT, "
                "status TEXT, hash TEXT NOT NULL)"))
        return true;
    *error = q.lastError();
    return false;
}

QVariant text(const std::string &s) { return QString::fromStdString(s); }

bool insertRows(QSqlDatabase db, std::vector<ChangeRow> &rows, QSqlError *error)
{
    QSqlQuery q(db);
    auto fail = [&] {
        *error = q.lastError();
        QSqlQuery rollback(db);
        exec(rollback, "ROLLBACK");
        return false;
    };
    // IMMEDIATE takes the write lock before the last hash is read: two writers cannot both
    // chain onto the same row.
    if (!exec(q, "BEGIN IMMEDIATE")) {
        *error = q.lastError();
        return false;
    }
    if (!exec(q, "SELECT hash FROM changes ORDER BY id DESC LIMIT 1"))
        return fail();
    std::string previous = q.next() ? q.value(0).toString().toStdString() : std::string();
    q.finish();
    if (!q.prepare(QStringLiteral("INSERT INTO changes (%1) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")
                       .arg(QString::fromUtf8(kColumns))))
        return fail();
    for (ChangeRow &r : rows) {
        r.hash = ChangeRowHash(previous, r);
        previous = r.hash;
        const QVariant values[] = {
            text(r.time),         text(r.user),
            text(r.host),         text(r.program),
            text(r.serial),       text(r.hardwareType),
            text(r.firmware),     text(r.address),
            text(r.action),       text(r.target),
            text(r.key),          r.oldValue ? QVariant(*r.oldValue) : QVariant(QMetaType(QMetaType::LongLong)),
            QVariant(r.newValue), QString::fromUtf8(ChangeResultText(r)),
            text(r.status),       text(r.hash)};
        for (int i = 0; i < 16; ++i)
            q.bindValue(i, values[i]);
        if (!q.exec())
            return fail();
    }
    if (!exec(q, "COMMIT"))
        return fail();
    return true;
}

bool appendOnce(const std::string &path, std::vector<ChangeRow> &rows, QSqlError *error)
{
    Connection c(path);
    if (!c.opened()) {
        *error = c.openError();
        return false;
    }
    return createSchema(c.db(), error) && insertRows(c.db(), rows, error);
}

std::string setAsideName(const std::string &path)
{
    const std::string stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    std::string name = path + ".unreadable-" + stamp;
    for (int n = 2; QFileInfo::exists(QString::fromStdString(name)); ++n)
        name = path + ".unreadable-" + stamp + "-" + std::to_string(n);
    return name;
}

ChangeRow rowFrom(const QSqlQuery &q)
{
    ChangeRow r;
    int i = 0;
    r.id = q.value(i++).toLongLong();
    std::string *texts[] = {&r.time,     &r.user,    &r.host,   &r.program, &r.serial, &r.hardwareType,
                            &r.firmware, &r.address, &r.action, &r.target,  &r.key};
    for (std::string *t : texts)
        *t = q.value(i++).toString().toStdString();
    const QVariant old = q.value(i++);
    if (!old.isNull())
        r.oldValue = old.toLongLong();
    r.newValue = q.value(i++).toLongLong();
    r.written = q.value(i++).toString() == QLatin1String("written");
    r.status = q.value(i++).toString().toStdString();
    r.hash = q.value(i++).toString().toStdString();
    return r;
}

bool selectRows(const std::string &path, const std::string &where, const std::vector<QVariant> &binds,
                std::vector<ChangeRow> *rows, std::string *error)
{
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        *error = "no change log at " + path;
        return false;
    }
    Connection c(path);
    QSqlQuery q(c.db());
    const QString sql = QStringLiteral("SELECT id, %1 FROM changes %2 ORDER BY id")
                            .arg(QString::fromUtf8(kColumns), QString::fromStdString(where));
    bool ok = c.opened() && q.prepare(sql);
    for (std::size_t i = 0; ok && i < binds.size(); ++i)
        q.bindValue(static_cast<int>(i), binds[i]);
    if (!ok || !q.exec()) {
        *error = path + ": " + errorText(c.opened() ? q.lastError() : c.openError());
        return false;
    }
    while (q.next())
        rows->push_back(rowFrom(q));
    return true;
}

QJsonValue jsonText(const std::string &s) { return QJsonValue(QString::fromStdString(s)); }

std::string csvField(const std::string &s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string quoted = "\"";
    for (char c : s) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::string ChangeLogPathBeside(const std::string &settingsFile)
{
    const QFileInfo settings(QString::fromStdString(settingsFile));
    return settings.absoluteDir().filePath(QString::fromUtf8(kChangeLogFileName)).toStdString();
}

const char *ChangeResultText(const ChangeRow &row) { return row.written ? "written" : "failed"; }

std::string ChangeRowHash(const std::string &previousHash, const ChangeRow &row)
{
    // Fields separated by a unit separator, which no field carries in practice; a field
    // holding one still cannot be moved into its neighbour unnoticed, the count being fixed.
    std::string content = previousHash;
    const std::string *texts[] = {&row.time,   &row.user,         &row.host,     &row.program,
                                  &row.serial, &row.hardwareType, &row.firmware, &row.address,
                                  &row.action, &row.target,       &row.key};
    for (const std::string *t : texts)
        content += '\x1f' + *t;
    content += '\x1f' + (row.oldValue ? std::to_string(*row.oldValue) : std::string("not read"));
    content += '\x1f' + std::to_string(row.newValue);
    content += '\x1f' + std::string(ChangeResultText(row));
    content += '\x1f' + row.status;
    return QCryptographicHash::hash(QByteArray::fromStdString(content), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

AppendOutcome AppendChangeRows(const std::string &path, std::vector<ChangeRow> &rows)
{
    AppendOutcome outcome;
    if (rows.empty()) {
        outcome.ok = true;
        return outcome;
    }
    QSqlError error;
    if (appendOnce(path, rows, &error)) {
        outcome.ok = true;
        return outcome;
    }
    if (notADatabase(error)) {
        const std::string aside = setAsideName(path);
        if (QFile::rename(QString::fromStdString(path), QString::fromStdString(aside))) {
            outcome.setAside = aside;
            if (appendOnce(path, rows, &error)) {
                outcome.ok = true;
                return outcome;
            }
        }
    }
    outcome.reason = errorText(error);
    return outcome;
}

bool ReadChangeRows(const std::string &path, const ChangeFilter &filter, std::vector<ChangeRow> *rows,
                    std::string *error)
{
    std::string where;
    std::vector<QVariant> binds;
    if (!filter.serial.empty()) {
        where = "WHERE serial = ?";
        binds.push_back(text(filter.serial));
    }
    if (!filter.since.empty()) {
        where += where.empty() ? "WHERE time >= ?" : " AND time >= ?";
        binds.push_back(text(filter.since));
    }
    return selectRows(path, where, binds, rows, error);
}

ChainCheck VerifyChangeChain(const std::string &path)
{
    ChainCheck check;
    std::vector<ChangeRow> rows;
    check.readable = selectRows(path, "", {}, &rows, &check.error);
    std::string previous;
    for (const ChangeRow &r : rows) {
        ++check.rows;
        if (check.firstBroken == 0 && ChangeRowHash(previous, r) != r.hash)
            check.firstBroken = r.id;
        previous = r.hash;
    }
    check.lastHash = previous;
    return check;
}

std::string ChangeRowJson(const ChangeRow &row)
{
    QJsonObject o;
    o.insert(QStringLiteral("time"), jsonText(row.time));
    o.insert(QStringLiteral("user"), jsonText(row.user));
    o.insert(QStringLiteral("host"), jsonText(row.host));
    o.insert(QStringLiteral("program"), jsonText(row.program));
    o.insert(QStringLiteral("serial"), jsonText(row.serial));
    o.insert(QStringLiteral("hardware_type"), jsonText(row.hardwareType));
    o.insert(QStringLiteral("firmware"), jsonText(row.firmware));
    o.insert(QStringLiteral("address"), jsonText(row.address));
    o.insert(QStringLiteral("action"), jsonText(row.action));
    o.insert(QStringLiteral("target"), jsonText(row.target));
    o.insert(QStringLiteral("key"), jsonText(row.key));
    o.insert(QStringLiteral("old"), row.oldValue ? QJsonValue(static_cast<qint64>(*row.oldValue)) : QJsonValue());
    o.insert(QStringLiteral("new"), QJsonValue(static_cast<qint64>(row.newValue)));
    o.insert(QStringLiteral("result"), QJsonValue(QString::fromUtf8(ChangeResultText(row))));
    o.insert(QStringLiteral("hash"), jsonText(row.hash));
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::string ChangeCsvHeader()
{
    return "time,user,host,program,serial,hardware_type,firmware,address,action,target,key,old,new,result,status,"
           "hash\r\n";
}

std::string ChangeRowCsv(const ChangeRow &row)
{
    const std::string fields[] = {row.time,
                                  row.user,
                                  row.host,
                                  row.program,
                                  row.serial,
                                  row.hardwareType,
                                  row.firmware,
                                  row.address,
                                  row.action,
                                  row.target,
                                  row.key,
                                  row.oldValue ? std::to_string(*row.oldValue) : std::string("not read"),
                                  std::to_string(row.newValue),
                                  ChangeResultText(row),
                                  row.status,
                                  row.hash};
    std::string line;
    for (const std::string &f : fields)
        line += (&f == &fields[0] ? "" : ",") + csvField(f);
    return line + "\r\n";
}
