#include "web.h"

#include <boost/asio/ip/address.hpp>

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace vexor {

namespace {

using Pairs = QList<std::pair<QString, QString>>;

// The largest setup program served; anything bigger is a misconfiguration, not a setup.
constexpr qint64 kMaxSetupBytes = 1024ll * 1024 * 1024;

const QString kSiteName = QStringLiteral("Vexor Otomotiv");

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Percent-decoding that never fails: a '%' without two hex digits stays as it is. The client
// writes the machine identity into the address without encoding it, so in a query '+' is
// itself; in a form body it is a blank.
QString decodeComponent(std::string_view text, bool plusIsSpace)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            bytes.append(char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            bytes.append(' ');
        } else {
            bytes.append(c);
        }
    }
    return QString::fromUtf8(bytes);
}

Pairs parsePairs(std::string_view text, bool plusIsSpace)
{
    Pairs pairs;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('&'), text.size());
        const std::string_view item = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (item.empty())
            continue;
        const std::size_t eq = std::min(item.find('='), item.size());
        const std::string_view value = eq < item.size() ? item.substr(eq + 1) : std::string_view();
        pairs.append({decodeComponent(item.substr(0, eq), plusIsSpace), decodeComponent(value, plusIsSpace)});
    }
    return pairs;
}

std::optional<QString> valueOf(const Pairs &pairs, QLatin1String key)
{
    for (const auto &[k, v] : pairs) {
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    }
    return std::nullopt;
}

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

HttpResponse html(int status, const QString &title, const QString &body)
{
    static const QString style = QStringLiteral(
        "body{font-family:Segoe UI,Arial,sans-serif;margin:0;background:#f3f4f6;color:#1f2937}"
        "header{background:#0b3d91;color:#fff;padding:16px 32px}header h1{margin:0;font-size:24px}"
        "main{max-width:760px;margin:24px auto;background:#fff;padding:24px 32px;border-radius:6px}"
        "label{display:block;margin-top:12px;font-weight:600}"
        "input[type=text],input[type=email],input[type=tel],textarea{width:100%;box-sizing:border-box;padding:6px;"
        "border:1px solid #9ca3af;border-radius:4px}"
        "button{margin-top:16px;padding:8px 20px;background:#0b3d91;color:#fff;border:0;border-radius:4px}"
        ".hata{background:#fee2e2;color:#991b1b;padding:8px 12px;border-radius:4px}"
        ".tamam{background:#dcfce7;color:#166534;padding:8px 12px;border-radius:4px}"
        "footer{text-align:center;color:#6b7280;font-size:12px;margin:16px}");
    const QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"tr\"><head><meta charset=\"utf-8\">"
                                        "<title>%1</title><style>%2</style></head><body>"
                                        "<header><h1>%3</h1></header><main>%4</main>"
                                        "<footer>&copy; %3</footer></body></html>\n")
                             .arg(esc(title), style, esc(kSiteName), body);
    HttpResponse res;
    res.status = status;
    res.contentType = "text/html; charset=utf-8";
    res.body = page.toStdString();
    res.headers = {{"X-Content-Type-Options", "nosniff"},
                   {"Content-Security-Policy",
                    "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'"},
                   {"Cache-Control", "no-store"}};
    return res;
}

HttpResponse notFound(const QString &what)
{
    return html(404, QStringLiteral("Bulunamadı"), QStringLiteral("<h2>Bulunamadı</h2><p>%1</p>").arg(esc(what)));
}

HttpResponse notAllowed(const char *allow)
{
    HttpResponse res = html(405, QStringLiteral("İzin verilmeyen istek"),
                            QStringLiteral("<h2>İzin verilmeyen istek</h2><p>Bu adres bu istek türünü kabul etmiyor.</p>"));
    res.headers.emplace_back("Allow", allow);
    return res;
}

HttpResponse homePage()
{
    return html(200, kSiteName + QStringLiteral(" Yedek Parça"), QStringLiteral(
        "<h2>Otomotiv yedek parçada güvenilir tedarik</h2>"
        "<p>Vexor Otomotiv, binek ve hafif ticari araçlar için yedek parçayı bayilerine ve servislere "
        "stoktan, aynı gün sevkiyatla ulaştırır.</p>"
        "<h3>Ürün gruplarımız</h3><ul>"
        "<li>Fren sistemleri: balata, disk, kampana</li>"
        "<li>Motor parçaları: triger seti, conta, su pompası</li>"
        "<li>Süspansiyon ve direksiyon: amortisör, rotil, salıncak</li>"
        "<li>Filtreler: yağ, hava, yakıt ve polen filtreleri</li>"
        "<li>Elektrik ve aydınlatma: akü, far, ampul, sensörler</li></ul>"
        "<h3>Bayilerimiz için</h3>"
        "<p>Bayilerimiz stok, fiyat ve kampanyaları izler, siparişlerini ve cari hesaplarını "
        "Vexor B2B programı üzerinden yönetir. Bayi başvurusu için bölgenizdeki satış "
        "temsilcimizle görüşebilirsiniz.</p>"));
}

HttpResponse callerAddress(const std::string &remote)
{
    namespace ip = boost::asio::ip;
    boost::system::error_code ec;
    std::string text = remote;
    const ip::address address = ip::make_address(remote, ec);
    // A dual-stack listener reports IPv4 callers in their mapped IPv6 form.
    if (!ec && address.is_v6() && address.to_v6().is_v4_mapped())
        text = ip::make_address_v4(ip::v4_mapped, address.to_v6()).to_string();
    HttpResponse res;
    res.status = text.empty() ? 500 : 200;
    res.contentType = "text/plain; charset=utf-8";
    res.body = text;
    res.headers = {{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}};
    return res;
}

// The request form's fields as typed, not yet checked.
struct FormValues
{
    QString customerNo;
    QString userName;
    QString machineId;
    QString company;
    QString contact;
    QString phone;
    QString email;
    QString city;
    QString district;
    QString address;
    QString taxOffice;
    QString taxNumber;
    QString note;
};

enum class FieldKind { Text, Phone, Email, Digits, LongText };

// The visible fields, in the order the form shows them.
struct FieldRule
{
    QString FormValues::*member;
    const char *key;
    const char *label;
    int maxLength;
    FieldKind kind;
    bool required;
};

const FieldRule kFields[] = {
    {&FormValues::company, "firma", "Firma Adı", 150, FieldKind::Text, true},
    {&FormValues::contact, "adsoyad", "Yetkili Adı Soyadı", 100, FieldKind::Text, true},
    {&FormValues::phone, "telefon", "Telefon", 30, FieldKind::Phone, true},
    {&FormValues::email, "eposta", "E-posta", 150, FieldKind::Email, false},
    {&FormValues::city, "sehir", "Şehir", 60, FieldKind::Text, false},
    {&FormValues::district, "ilce", "İlçe", 60, FieldKind::Text, false},
    {&FormValues::address, "adres", "Adres", 500, FieldKind::LongText, false},
    {&FormValues::taxOffice, "vergidairesi", "Vergi Dairesi", 100, FieldKind::Text, false},
    {&FormValues::taxNumber, "vergino", "Vergi / T.C. Kimlik No", 11, FieldKind::Digits, false},
    {&FormValues::note, "aciklama", "Açıklama", 2000, FieldKind::LongText, false},
};

QStringList validate(const FormValues &v)
{
    QStringList errors;
    if (v.company.isEmpty())
        errors << QStringLiteral("Lütfen firma adını yazınız.");
    if (v.contact.isEmpty())
        errors << QStringLiteral("Lütfen yetkili kişinin adını ve soyadını yazınız.");
    static const QRegularExpression phoneChars(QStringLiteral("^[0-9 +()\\-]*$"));
    const qsizetype digits = std::count_if(v.phone.begin(), v.phone.end(), [](QChar c) { return c.isDigit(); });
    if (v.phone.isEmpty() || digits < 7 || !phoneChars.match(v.phone).hasMatch())
        errors << QStringLiteral("Lütfen geçerli bir telefon numarası yazınız.");
    static const QRegularExpression mail(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    if (!v.email.isEmpty() && !mail.match(v.email).hasMatch())
        errors << QStringLiteral("E-posta adresi geçerli değil.");
    // A tax number has 10 digits, a person's identity number 11.
    static const QRegularExpression taxNumber(QStringLiteral("^[0-9]{10,11}$"));
    if (!v.taxNumber.isEmpty() && !taxNumber.match(v.taxNumber).hasMatch())
        errors << QStringLiteral("Vergi numarası 10, T.C. kimlik numarası 11 haneli olmalıdır.");
    for (const FieldRule &f : kFields) {
        if ((v.*f.member).size() > f.maxLength)
            errors << QStringLiteral("%1 en çok %2 karakter olabilir.").arg(QString::fromUtf8(f.label)).arg(f.maxLength);
    }
    if (v.userName.size() > 100 || v.machineId.size() > 128 || v.customerNo.size() > 12)
        errors << QStringLiteral("Formun bilgisayar bilgileri geçersiz; formu programdan yeniden açınız.");
    return errors;
}

HttpResponse formPage(int status, const FormValues &v, const QStringList &errors)
{
    QString body = QStringLiteral("<h2>Vexor B2B Erişim Talebi</h2>"
                                  "<p>Bu bilgisayar Vexor B2B sistemine kayıtlı değil. Firma bilgilerinizi bırakın; "
                                  "talebiniz incelendikten sonra sizinle iletişime geçelim.</p>");
    if (!v.machineId.isEmpty())
        body += QStringLiteral("<p>Bilgisayar kimliği: <b>%1</b></p>").arg(esc(v.machineId));
    if (!errors.isEmpty()) {
        body += QStringLiteral("<div class=\"hata\"><ul>");
        for (const QString &e : errors)
            body += QStringLiteral("<li>%1</li>").arg(esc(e));
        body += QStringLiteral("</ul></div>");
    }
    body += QStringLiteral("<form method=\"post\" action=\"formmailgonder.aspx\">"
                           "<input type=\"hidden\" name=\"carino\" value=\"%1\">"
                           "<input type=\"hidden\" name=\"kullanici\" value=\"%2\">"
                           "<input type=\"hidden\" name=\"id\" value=\"%3\">")
                .arg(esc(v.customerNo), esc(v.userName), esc(v.machineId));
    for (const FieldRule &f : kFields) {
        const QString key = QString::fromLatin1(f.key);
        const QString label = esc(QString::fromUtf8(f.label)) + (f.required ? QStringLiteral(" *") : QString());
        const QString value = esc(v.*f.member);
        const QString required = f.required ? QStringLiteral(" required") : QString();
        if (f.kind == FieldKind::LongText) {
            body += QStringLiteral("<label for=\"%1\">%2</label><textarea id=\"%1\" name=\"%1\" rows=\"4\" maxlength=\"%3\"%5>%4</textarea>")
                        .arg(key, label, QString::number(f.maxLength), value, required);
            continue;
        }
        const QString type = f.kind == FieldKind::Email ? QStringLiteral("email")
            : f.kind == FieldKind::Phone                ? QStringLiteral("tel")
                                                        : QStringLiteral("text");
        const QString mode = f.kind == FieldKind::Digits ? QStringLiteral(" inputmode=\"numeric\"") : QString();
        body += QStringLiteral("<label for=\"%1\">%2</label><input type=\"%3\" id=\"%1\" name=\"%1\" maxlength=\"%4\" value=\"%5\"%6>")
                    .arg(key, label, type, QString::number(f.maxLength), value, mode + required);
    }
    body += QStringLiteral("<button type=\"submit\">Talebi Gönder</button></form>");
    return html(status, QStringLiteral("Vexor Otomotiv B2B İstek Formu"), body);
}

} // namespace

WebSite::WebSite(std::shared_ptr<WebContent> content, QString setupFile)
    : m_content(std::move(content))
    , m_setupFile(std::move(setupFile))
{
}

HttpResponse WebSite::handle(const HttpRequest &request) const
{
    const std::string_view target = request.target;
    const std::size_t mark = std::min(target.find('?'), target.size());
    const std::string_view query = mark < target.size() ? target.substr(mark + 1) : std::string_view();
    QString path = decodeComponent(target.substr(0, mark), false).toLower();
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    const bool get = request.method == "GET";
    const bool post = request.method == "POST";
    try {
        if (path.isEmpty())
            return get ? homePage() : notAllowed("GET");
        if (path == QLatin1String("resimgoster.ashx"))
            return get ? picture(query) : notAllowed("GET");
        if (path == QLatin1String("formmailgonder.aspx"))
            return get || post ? accessForm(request, query) : notAllowed("GET, POST");
        if (path == QLatin1String("ip.php"))
            return get ? callerAddress(request.remoteAddress) : notAllowed("GET");
        if (path == QLatin1String("exe/vexorsetup.exe"))
            return get ? setupProgram() : notAllowed("GET");
        return notFound(QStringLiteral("Aradığınız sayfa bulunamadı."));
    } catch (const std::exception &e) {
        qWarning("vexor-server: web request %s %s failed: %s", request.method.c_str(), request.target.c_str(), e.what());
        return html(500, QStringLiteral("Sunucu hatası"),
                    QStringLiteral("<h2>Sunucu hatası</h2><p>İsteğiniz şu anda yerine getirilemedi. Lütfen daha sonra tekrar deneyiniz.</p>"));
    }
}

HttpResponse WebSite::picture(std::string_view query) const
{
    const Pairs pairs = parsePairs(query, false);
    bool ok = false;
    const int stockNo = valueOf(pairs, QLatin1String("id")).value_or(QString()).trimmed().toInt(&ok);
    const std::optional<QByteArray> bytes = ok ? m_content->stockPicture(stockNo) : std::nullopt;
    if (!bytes || bytes->isEmpty())
        return notFound(QStringLiteral("Bu stok için resim yok."));
    // The type comes from the bytes themselves: the administrator's viewer picks its decoder by it.
    const QMimeType type = QMimeDatabase().mimeTypeForData(*bytes);
    HttpResponse res;
    res.contentType = type.name().startsWith(QLatin1String("image/")) ? type.name().toStdString() : "application/octet-stream";
    res.body = bytes->toStdString();
    res.headers = {{"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-cache"}};
    return res;
}

HttpResponse WebSite::accessForm(const HttpRequest &request, std::string_view query) const
{
    const Pairs fromQuery = parsePairs(query, false);
    const Pairs fromBody = request.method == "POST" ? parsePairs(request.body, true) : Pairs();
    // The hidden fields travel in the body; the address still has them when the page posts to itself.
    auto field = [&](const char *key) {
        const QLatin1String k(key);
        return valueOf(fromBody, k).value_or(valueOf(fromQuery, k).value_or(QString())).trimmed();
    };
    FormValues v;
    v.customerNo = field("carino");
    v.userName = field("kullanici");
    v.machineId = field("id");
    if (request.method != "POST")
        return formPage(200, v, {});

    for (const FieldRule &f : kFields)
        v.*f.member = valueOf(fromBody, QLatin1String(f.key)).value_or(QString()).trimmed();
    const QStringList errors = validate(v);
    if (!errors.isEmpty())
        return formPage(422, v, errors);

    AccessRequest r;
    bool numeric = false;
    r.customerNo = v.customerNo.toInt(&numeric);
    if (!numeric)
        r.customerNo = 0;
    r.userName = v.userName;
    r.machineId = v.machineId;
    r.company = v.company;
    r.contact = v.contact;
    r.phone = v.phone;
    r.email = v.email;
    r.city = v.city;
    r.district = v.district;
    r.address = v.address;
    r.taxOffice = v.taxOffice;
    r.taxNumber = v.taxNumber;
    r.note = v.note;
    r.remoteAddress = QString::fromStdString(callerAddress(request.remoteAddress).body);
    r.receivedAt = QDateTime::currentDateTimeUtc();
    try {
        m_content->storeAccessRequest(r);
    } catch (const std::exception &e) {
        qWarning("vexor-server: access request of %s not stored: %s", qPrintable(r.machineId), e.what());
        return formPage(500, v, {QStringLiteral("Talebiniz şu anda kaydedilemedi. Lütfen biraz sonra tekrar gönderiniz.")});
    }
    return html(200, QStringLiteral("Vexor Otomotiv B2B İstek Formu"),
                QStringLiteral("<h2>Talebiniz alındı</h2><p class=\"tamam\">Teşekkür ederiz, %1. Erişim talebiniz "
                               "bize ulaştı; en kısa sürede sizinle iletişime geçeceğiz.</p>")
                    .arg(esc(v.contact)));
}

HttpResponse WebSite::setupProgram() const
{
    if (m_setupFile.isEmpty())
        return notFound(QStringLiteral("Kurulum dosyası yok."));
    QFile file(m_setupFile);
    if (!QFileInfo(m_setupFile).isFile() || !file.open(QIODevice::ReadOnly))
        return notFound(QStringLiteral("Kurulum dosyası yok."));
    if (file.size() > kMaxSetupBytes)
        throw std::runtime_error("setup file " + m_setupFile.toStdString() + " is larger than 1 GiB");
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error("cannot read " + m_setupFile.toStdString() + ": " + file.errorString().toStdString());
    HttpResponse res;
    res.contentType = "application/octet-stream";
    res.body = bytes.toStdString();
    res.headers = {{"Content-Disposition", "attachment; filename=\"VexorSetup.exe\""}, {"Cache-Control", "no-cache"}};
    return res;
}

WebServer::WebServer(const ServerSettings &settings, std::shared_ptr<WebContent> content)
    : m_settings(settings)
    , m_site(std::make_shared<WebSite>(std::move(content), settings.setupFile))
{
    m_workers.setMaxThreadCount(std::max(1, m_settings.workerThreads));
}

WebServer::~WebServer()
{
    stop();
}

void WebServer::start()
{
    if (m_http)
        return;
    HttpServer::Options options;
    options.host = m_settings.host;
    options.port = m_settings.webPort;
    options.threads = m_settings.ioThreads;
    options.maxBodyBytes = WebSite::kMaxBodyBytes;
    options.idleTimeoutSeconds = 60;
    m_http = std::make_unique<HttpServer>(options, [this, site = m_site](HttpRequest &&request, HttpResponder respond) {
        m_workers.start([site, request = std::move(request), respond = std::move(respond)] { respond(site->handle(request)); });
    });
    try {
        m_http->start();
    } catch (...) {
        m_http.reset();
        throw;
    }
}

void WebServer::stop()
{
    if (!m_http)
        return;
    m_http->stop();
    m_workers.clear();
    m_workers.waitForDone();
    m_http.reset();
}

std::uint16_t WebServer::port() const
{
    return m_http ? m_http->port() : 0;
}

} // namespace vexor
