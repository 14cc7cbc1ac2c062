#pragma once

#include "settings.h"

#include "servermethods_skeleton.h"

namespace vexor {

// The server's implementation of TServerMethods1. Methods it does not override answer that
// they are not available yet.
class TServerMethods1 : public TServerMethods1Skeleton
{
public:
    explicit TServerMethods1(const ServerSettings &settings);

    // Interface methods without data (servermethods.cpp).
    QString EchoString(const QString &Value) override;
    QString ReverseString(const QString &Value) override;
    qint32 KurlariAl(double &usd, double &eur) override;
    void DSServerModuleCreate(std::unique_ptr<Record> Sender) override;

    // Log-in and stock search (methods_stock.cpp).

    // Cart and orders (methods_cart.cpp).

    // Account follow-up: previous orders, balances, statement, documents, reports (methods_account.cpp).

    // Sales representatives, notices, banners, opening screens, mail requests (methods_notices.cpp).

    // Files and the mobile forms not listed above (methods_other.cpp).

private:
    ServerSettings m_settings;
};

} // namespace vexor
