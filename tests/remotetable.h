#pragma once
// Helpers the server tests share: a table result read whole into plain values, a session
// record for a machine, and the error a remote call raised.

#include "common/formats.h"
#include "common/memtable.h"
#include "server/baglantiu.h"
#include "server/errors.h"
#include "server/tablecodec.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace remotetest {

struct Table
{
    QStringList names;
    QList<vexor::FieldType> types;
    QList<QVariantList> rows;

    int column(const QString &name) const { return int(names.indexOf(name)); }
    QVariant at(int row, const QString &name) const
    {
        const int c = column(name);
        return c < 0 ? QVariant() : rows.value(row).value(c);
    }
    vexor::FieldType type(const QString &name) const { return types.value(column(name)); }
    QList<QVariant> columnValues(const QString &name) const
    {
        QList<QVariant> values;
        for (int r = 0; r < rows.size(); ++r)
            values << at(r, name);
        return values;
    }
    QStringList strings(const QString &name) const
    {
        QStringList values;
        for (int r = 0; r < rows.size(); ++r)
            values << at(r, name).toString();
        return values;
    }
    int rowWhere(const QString &name, const QVariant &value) const
    {
        for (int r = 0; r < rows.size(); ++r) {
            if (at(r, name) == value)
                return r;
        }
        return -1;
    }
    // Summed as the windows sum amounts: rounded to the cent after every step.
    double sum(const QString &name) const
    {
        double total = 0;
        for (int r = 0; r < rows.size(); ++r)
            total = vexor::roundHalfAwayFromZero(total + at(r, name).toDouble(), 2);
        return total;
    }
};

inline Table readTable(vexor::TableReader *reader)
{
    Table t;
    if (!reader)
        return t;
    for (int c = 0; c < reader->columnCount(); ++c) {
        t.names << reader->columnName(c);
        t.types << reader->columnType(c);
    }
    while (reader->next()) {
        QVariantList row;
        for (int c = 0; c < reader->columnCount(); ++c)
            row << reader->value(c);
        t.rows << row;
    }
    return t;
}

inline std::unique_ptr<vexor::TSonucBilgisi> session(const QString &machine, int account = 0)
{
    auto s = std::make_unique<vexor::TSonucBilgisi>();
    s->setBILGISAYARID(machine);
    s->setCARINO(account);
    return s;
}

// The class and message of the error a call raised; empty when it raised none.
inline QPair<QString, QString> errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const vexor::RemoteError &e) {
        return {e.className(), e.message()};
    }
    return {};
}

} // namespace remotetest
