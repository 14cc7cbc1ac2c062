#include "servermethods.h"

#include "dispatch.h"
#include "storage/database.h"

#include <QDebug>

#include <algorithm>

namespace vexor {

TServerMethods1::TServerMethods1(const ServerSettings &settings, std::shared_ptr<Database> database)
    : m_settings(settings)
    , m_database(std::move(database))
{
}

Database &TServerMethods1::database(std::string_view method) const
{
    if (!m_database)
        throw notAvailable(method);
    return *m_database;
}

QString TServerMethods1::EchoString(const QString &Value)
{
    return Value;
}

QString TServerMethods1::ReverseString(const QString &Value)
{
    // Reverse by code point so that letters outside the basic plane stay whole.
    QList<uint> codePoints = Value.toUcs4();
    std::reverse(codePoints.begin(), codePoints.end());
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(codePoints.constData()), codePoints.size());
}

qint32 TServerMethods1::KurlariAl(double &usd, double &eur)
{
    usd = m_settings.usdRate;
    eur = m_settings.eurRate;
    // 1 when both rates are known, 0 when the settings hold none.
    return usd > 0 && eur > 0 ? 1 : 0;
}

void TServerMethods1::DSServerModuleCreate(std::unique_ptr<Record> Sender)
{
    // The module needs nothing from its creator; the object is accepted and released.
    qDebug("vexor-server: server module created by %s",
           Sender ? qPrintable(Sender->typeName()) : "nobody");
}

} // namespace vexor
