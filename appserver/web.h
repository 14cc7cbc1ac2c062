#pragma once

#include "httpserver.h"
#include "settings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <optional>
#include <string_view>

namespace vexor {

// A dealer's request for access from a machine the server does not know yet, as filled in on
// the request form.
struct AccessRequest
{
    int customerNo = 0;    // "carino" as the client opened the form; 0: none (an unknown machine)
    QString userName;      // "kullanici"
    QString machineId;     // "id": the machine identity
    QString company;
    QString contact;       // the person asking
    QString phone;
    QString email;
    QString city;
    QString district;
    QString address;
    QString taxOffice;
    QString taxNumber;     // 10 digits, or an 11-digit identity number; may be empty
    QString note;
    QString remoteAddress;
    QDateTime receivedAt;  // UTC
};

// What the web endpoints need from the server's storage. Called from several worker threads
// at once.
class WebContent
{
public:
    virtual ~WebContent() = default;
    // The stock's picture file as stored, or nothing when the stock has none. May throw.
    virtual std::optional<QByteArray> stockPicture(int stockNo) = 0;
    // Keeps the request for the distributor; throws when it cannot be stored.
    virtual void storeAccessRequest(const AccessRequest &request) = 0;
};

// The web pages and files the client reaches besides the remote methods: stock pictures, the
// access request form, the site's home page, the caller's address and the setup program.
// Plain request -> response; it reads storage and files, so it runs on a worker thread.
class WebSite
{
public:
    // The setup program is read from setupFile; empty means there is none.
    WebSite(std::shared_ptr<WebContent> content, QString setupFile);

    HttpResponse handle(const HttpRequest &request) const;

    static constexpr std::size_t kMaxBodyBytes = 64 * 1024;

private:
    HttpResponse picture(std::string_view query) const;
    HttpResponse accessForm(const HttpRequest &request, std::string_view query) const;
    HttpResponse setupProgram() const;

    std::shared_ptr<WebContent> m_content;
    QString m_setupFile;
};

// The web site on its own port (settings: host, webPort, setupFile).
class WebServer
{
public:
    WebServer(const ServerSettings &settings, std::shared_ptr<WebContent> content);
    ~WebServer();
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    // Throws std::runtime_error when the address cannot be bound.
    void start();
    void stop();
    std::uint16_t port() const;

private:
    ServerSettings m_settings;
    std::shared_ptr<const WebSite> m_site;
    QThreadPool m_workers;
    std::unique_ptr<HttpServer> m_http;
};

} // namespace vexor
