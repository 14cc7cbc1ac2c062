#include "schema.h"

#include "database.h"

namespace vexor {

// Column comments name the wire columns the client reads from them (docs/server.md has the
// whole mapping). Money is NUMERIC(15,2) and kept rounded to two decimals by the server;
// quantities are NUMERIC(15,3); rates in percent are NUMERIC(5,2).
QStringList schemaStatements()
{
    return {
        QStringLiteral(R"(CREATE TABLE settings (
            key TEXT PRIMARY KEY,
            value TEXT NOT NULL))"),

        QStringLiteral(R"(CREATE TABLE representatives (
            id INTEGER PRIMARY KEY,                      -- SaticiNo
            code TEXT NOT NULL UNIQUE,
            name TEXT NOT NULL,                          -- SaticiAdi, SATICISI, SATICIADI
            email TEXT NOT NULL DEFAULT '',              -- SaticiMail
            phone TEXT NOT NULL DEFAULT '',              -- SaticiTelefon
            gsm TEXT NOT NULL DEFAULT '',
            active INTEGER NOT NULL DEFAULT 1 CHECK (active IN (0, 1))))"),

        QStringLiteral(R"(CREATE TABLE accounts (
            id INTEGER PRIMARY KEY,                      -- CARINO
            code TEXT NOT NULL UNIQUE,                   -- CARIKOD
            name TEXT NOT NULL,                          -- CARIADI
            search_key TEXT NOT NULL,                    -- code and name folded like search texts
            rep_id INTEGER REFERENCES representatives(id),
            contact TEXT NOT NULL DEFAULT '',            -- YETKILI
            special_code TEXT NOT NULL DEFAULT '',       -- OZELKOD
            code1 TEXT NOT NULL DEFAULT '',              -- KOD1..KOD5
            code2 TEXT NOT NULL DEFAULT '',
            code3 TEXT NOT NULL DEFAULT '',
            code4 TEXT NOT NULL DEFAULT '',
            code5 TEXT NOT NULL DEFAULT '',
            main_group TEXT NOT NULL DEFAULT '',         -- ANAGRUP
            sub_group TEXT NOT NULL DEFAULT '',          -- ALTGRUP
            address1 TEXT NOT NULL DEFAULT '',           -- ADRES1
            address2 TEXT NOT NULL DEFAULT '',           -- ADRES2
            district TEXT NOT NULL DEFAULT '',           -- ILCE
            city TEXT NOT NULL DEFAULT '',               -- IL, SEHIR
            country TEXT NOT NULL DEFAULT 'TÜRKİYE',     -- ULKE
            phone1 TEXT NOT NULL DEFAULT '',             -- TEL1
            phone2 TEXT NOT NULL DEFAULT '',             -- TEL2
            gsm TEXT NOT NULL DEFAULT '',                -- GSM
            fax1 TEXT NOT NULL DEFAULT '',               -- FAX1
            fax2 TEXT NOT NULL DEFAULT '',               -- FAX2
            email TEXT NOT NULL DEFAULT '',              -- EMAIL
            tax_office TEXT NOT NULL DEFAULT '',         -- VERGIDAIRESI
            tax_number TEXT NOT NULL DEFAULT '',         -- VERGINO
            due_days INTEGER NOT NULL DEFAULT 30 CHECK (due_days >= 0),          -- VADE
            due_check_days INTEGER NOT NULL DEFAULT 0 CHECK (due_check_days >= 0), -- VADEKONTROLGUN
            due_check_months INTEGER NOT NULL DEFAULT 0 CHECK (due_check_months >= 0), -- VADEKONTROLAY
            credit_limit NUMERIC(15,2) NOT NULL DEFAULT 0,
            campaigns INTEGER NOT NULL DEFAULT 1 CHECK (campaigns IN (0, 1)),
            orders_allowed INTEGER NOT NULL DEFAULT 1 CHECK (orders_allowed IN (0, 1)),
            active INTEGER NOT NULL DEFAULT 1 CHECK (active IN (0, 1))))"),
        QStringLiteral("CREATE INDEX accounts_rep ON accounts(rep_id)"),

        QStringLiteral(R"(CREATE TABLE users (
            id INTEGER PRIMARY KEY,                      -- Sirano, VERENIDNO
            name TEXT NOT NULL UNIQUE,                   -- ADI: the log-in name, in capitals
            password TEXT NOT NULL,                      -- SIFRE, in capitals
            full_name TEXT NOT NULL DEFAULT '',          -- VEREN
            email TEXT NOT NULL DEFAULT '',              -- Kullanicimail
            kind INTEGER NOT NULL CHECK (kind BETWEEN 0 AND 4), -- MusteriTipi
            active INTEGER NOT NULL DEFAULT 1 CHECK (active IN (0, 1)), -- AKTIF
            version INTEGER,                             -- Version; NULL: the server-wide value
            account_id INTEGER REFERENCES accounts(id),
            rep_id INTEGER REFERENCES representatives(id),
            created_at TIMESTAMP NOT NULL,
            CHECK (kind IN (1, 2) OR account_id IS NOT NULL),
            CHECK (kind NOT IN (1, 2) OR rep_id IS NOT NULL)))"),
        QStringLiteral("CREATE INDEX users_account ON users(account_id)"),

        QStringLiteral(R"(CREATE TABLE machines (
            machine_id TEXT PRIMARY KEY,                 -- BILGISAYARID
            user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
            enrolled_at TIMESTAMP NOT NULL,
            last_login_at TIMESTAMP))"),
        QStringLiteral("CREATE INDEX machines_user ON machines(user_id)"),

        QStringLiteral(R"(CREATE TABLE brands (
            id INTEGER PRIMARY KEY,
            name TEXT NOT NULL UNIQUE))"),                 // MARKA

        QStringLiteral(R"(CREATE TABLE product_groups (
            id INTEGER PRIMARY KEY,
            parent_id INTEGER REFERENCES product_groups(id), -- NULL: a main group
            name TEXT NOT NULL,                          -- ANAGRUP, ALTGRUP
            UNIQUE (parent_id, name)))"),

        QStringLiteral(R"(CREATE TABLE departments (
            id INTEGER PRIMARY KEY,
            name TEXT NOT NULL UNIQUE))"),                 // DEPARTMAN

        QStringLiteral(R"(CREATE TABLE pictures (
            id INTEGER PRIMARY KEY,
            jpeg BLOB NOT NULL,                          -- ResimVer5, resimgoster.ashx
            thumbnail BLOB NOT NULL,                     -- KucukResimVer
            width INTEGER NOT NULL,
            height INTEGER NOT NULL))"),

        QStringLiteral(R"(CREATE TABLE stocks (
            id INTEGER PRIMARY KEY,                      -- STOK_STOKNO, STOKNO
            code TEXT NOT NULL UNIQUE,                   -- FINISHKOD: the distributor's code
            barcode TEXT NOT NULL UNIQUE,                -- BARKOD (EAN-13)
            barcode_no INTEGER NOT NULL,                 -- BARKOD_BARKODNO
            maker_code TEXT NOT NULL DEFAULT '',         -- URETICIKODU
            oem_no TEXT NOT NULL DEFAULT '',             -- OEMNO
            oem1 TEXT NOT NULL DEFAULT '',               -- OEM1..OEM4
            oem2 TEXT NOT NULL DEFAULT '',
            oem3 TEXT NOT NULL DEFAULT '',
            oem4 TEXT NOT NULL DEFAULT '',
            name TEXT NOT NULL,                          -- ADI, STOKADI
            other_name TEXT NOT NULL DEFAULT '',         -- DIGERADI
            sort_key TEXT NOT NULL,                      -- the name folded: order of search results
            unit TEXT NOT NULL DEFAULT 'ADET',           -- BIRIM
            brand_id INTEGER NOT NULL REFERENCES brands(id),
            model TEXT NOT NULL DEFAULT '',              -- MODEL: the vehicles it fits
            group_id INTEGER NOT NULL REFERENCES product_groups(id), -- a sub group
            department_id INTEGER NOT NULL REFERENCES departments(id),
            special_code TEXT NOT NULL DEFAULT '',       -- OZELKOD
            p_code TEXT NOT NULL DEFAULT '',             -- PKOD: shelf place
            dp_code TEXT NOT NULL DEFAULT '',            -- DPKOD: supplier's code
            colour TEXT NOT NULL DEFAULT '',             -- RENK
            size TEXT NOT NULL DEFAULT '',               -- BEDEN
            vat_rate NUMERIC(5,2) NOT NULL CHECK (vat_rate BETWEEN 0 AND 100), -- KDV
            list_price NUMERIC(15,2) NOT NULL CHECK (list_price >= 0), -- LISTEFIYAT1
            quantity NUMERIC(15,3) NOT NULL DEFAULT 0,   -- KALAN: in the depot
            incoming NUMERIC(15,3) NOT NULL DEFAULT 0 CHECK (incoming >= 0), -- VERILENSIPARIS
            status INTEGER NOT NULL CHECK (status BETWEEN 0 AND 5), -- DURUM
            is_new INTEGER NOT NULL DEFAULT 0 CHECK (is_new IN (0, 1)), -- Y
            new_since DATE,
            campaign INTEGER NOT NULL DEFAULT 0 CHECK (campaign IN (0, 1)), -- K
            campaign_price NUMERIC(15,2) NOT NULL DEFAULT 0, -- KAMPFIYAT
            picture_id INTEGER REFERENCES pictures(id),  -- RESIM
            search_rank INTEGER,                         -- the stock's row in stock_search: ranks follow (sort_key, id)
            active INTEGER NOT NULL DEFAULT 1 CHECK (active IN (0, 1)),
            CHECK (campaign = 0 OR (campaign_price > 0 AND campaign_price < list_price)),
            CHECK (is_new = 0 OR new_since IS NOT NULL)))"),
        QStringLiteral("CREATE INDEX stocks_new ON stocks(new_since) WHERE is_new = 1"),
        QStringLiteral("CREATE INDEX stocks_campaign ON stocks(sort_key) WHERE campaign = 1"),
        QStringLiteral("CREATE INDEX stocks_sort ON stocks(sort_key, id)"),
        QStringLiteral("CREATE UNIQUE INDEX stocks_search_rank ON stocks(search_rank)"),
        QStringLiteral("CREATE INDEX stocks_brand ON stocks(brand_id)"),
        QStringLiteral("CREATE INDEX stocks_department ON stocks(department_id)"),
        // The search index: one row per stock, under the stock's search_rank, so that the index
        // hands out its matches in name order and a search stops at its cap. `whole` holds every code
        // folded with its separators removed, `codes` the parts of the codes that have several,
        // `words` the name, other name, brand, model and groups folded. See storage/search.h.
        QStringLiteral(R"(CREATE VIRTUAL TABLE stock_search USING fts5(
            whole, codes, words, detail = column, prefix = '2 3',
            tokenize = 'unicode61 remove_diacritics 2'))"),

        QStringLiteral(R"(CREATE TABLE account_discounts (
            id INTEGER PRIMARY KEY,
            account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
            brand_id INTEGER REFERENCES brands(id),      -- NULL: brands without a row of their own
            ind1 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind1 BETWEEN 0 AND 100), -- IND1..IND4
            ind2 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind2 BETWEEN 0 AND 100),
            ind3 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind3 BETWEEN 0 AND 100),
            ind4 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind4 BETWEEN 0 AND 100),
            UNIQUE (account_id, brand_id)))"),
        QStringLiteral("CREATE UNIQUE INDEX account_discounts_general ON account_discounts(account_id) WHERE brand_id IS NULL"),

        QStringLiteral(R"(CREATE TABLE cart_lines (
            id INTEGER PRIMARY KEY,                      -- SIRANO
            account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE, -- CARINO
            stock_id INTEGER NOT NULL REFERENCES stocks(id), -- STOKNO, STOK_STOKNO
            user_id INTEGER NOT NULL REFERENCES users(id), -- VERENIDNO, VEREN
            quantity NUMERIC(15,3) NOT NULL CHECK (quantity > 0), -- MIKTAR
            unit_price NUMERIC(15,2) NOT NULL CHECK (unit_price >= 0), -- BIRIMFIYAT
            vat_rate NUMERIC(5,2) NOT NULL CHECK (vat_rate BETWEEN 0 AND 100), -- KDV
            ind1 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind1 BETWEEN 0 AND 100), -- INDIRIMORANI1..4
            ind2 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind2 BETWEEN 0 AND 100),
            ind3 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind3 BETWEEN 0 AND 100),
            ind4 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind4 BETWEEN 0 AND 100),
            campaign INTEGER NOT NULL DEFAULT 0 CHECK (campaign IN (0, 1)), -- K
            selected INTEGER NOT NULL DEFAULT 0 CHECK (selected IN (0, 1)), -- SEC
            currency TEXT NOT NULL DEFAULT 'TL',         -- KUR
            rate NUMERIC(15,4) NOT NULL DEFAULT 1,       -- KURTL
            note TEXT NOT NULL DEFAULT '',               -- ACIKLAMA
            added_at TIMESTAMP NOT NULL,                 -- TARIH, SAAT
            UNIQUE (account_id, stock_id)))"),

        QStringLiteral(R"(CREATE TABLE order_statuses (
            id INTEGER PRIMARY KEY,
            name TEXT NOT NULL UNIQUE))"),                 // DURUM, Durumu

        QStringLiteral(R"(CREATE TABLE delivery_kinds (
            id INTEGER PRIMARY KEY,                      -- TeslimVer column 0, _teslim
            name TEXT NOT NULL UNIQUE,                   -- TeslimVer column 1, TESLIM, TeslimCinsi
            sort_order INTEGER NOT NULL))"),

        QStringLiteral(R"(CREATE TABLE cargo_kinds (
            id INTEGER PRIMARY KEY,                      -- KargoVer column 0, _kargo, KargolarVer gn
            name TEXT NOT NULL UNIQUE,                   -- KargoVer column 1, KARGO, KargoCinsi
            sort_order INTEGER NOT NULL))"),

        QStringLiteral(R"(CREATE TABLE cargo_firms (
            id INTEGER PRIMARY KEY,                      -- SIRANO of KargolarVer, _kargoyeni
            name TEXT NOT NULL UNIQUE,                   -- ADI, KARGOADI, Kargo
            warning TEXT NOT NULL DEFAULT '',            -- UYARI
            phone TEXT NOT NULL DEFAULT '',
            active INTEGER NOT NULL DEFAULT 1 CHECK (active IN (0, 1))))"),

        QStringLiteral(R"(CREATE TABLE cargo_firm_kinds (
            firm_id INTEGER NOT NULL REFERENCES cargo_firms(id) ON DELETE CASCADE,
            kind_id INTEGER NOT NULL REFERENCES cargo_kinds(id) ON DELETE CASCADE,
            PRIMARY KEY (kind_id, firm_id)))"),

        QStringLiteral(R"(CREATE TABLE orders (
            id INTEGER PRIMARY KEY,                      -- IDNO, SIPARISNO
            account_id INTEGER NOT NULL REFERENCES accounts(id), -- CARINO
            user_id INTEGER NOT NULL REFERENCES users(id), -- VERENIDNO, VEREN
            rep_id INTEGER REFERENCES representatives(id), -- the account's representative then
            ordered_at TIMESTAMP NOT NULL,               -- TARIH, VERILISTARIHI, SAAT
            status_id INTEGER NOT NULL REFERENCES order_statuses(id), -- DURUM
            status_changed_at TIMESTAMP NOT NULL,
            delivery_kind_id INTEGER REFERENCES delivery_kinds(id), -- TESLIM
            cargo_kind_id INTEGER REFERENCES cargo_kinds(id), -- KARGO
            cargo_firm_id INTEGER REFERENCES cargo_firms(id), -- KARGOADI
            customer_note TEXT NOT NULL DEFAULT '',      -- VERENINNOTU, SizinMesaj
            staff_note TEXT NOT NULL DEFAULT '',         -- ALANNOTU, BizimMesaj
            rep_note TEXT NOT NULL DEFAULT '',           -- SaticiNotu
            currency TEXT NOT NULL DEFAULT 'TL',         -- KUR
            rate NUMERIC(15,4) NOT NULL DEFAULT 1))"),     // KURTL
        QStringLiteral("CREATE INDEX orders_account ON orders(account_id, ordered_at)"),
        QStringLiteral("CREATE INDEX orders_status ON orders(status_id, account_id)"),
        QStringLiteral("CREATE INDEX orders_date ON orders(ordered_at)"),

        // The open balance of a line (KALAN of the balances) is quantity - delivered - cancelled.
        QStringLiteral(R"(CREATE TABLE order_lines (
            id INTEGER PRIMARY KEY,                      -- SIRANO, STOKHAR_NO
            order_id INTEGER NOT NULL REFERENCES orders(id) ON DELETE CASCADE,
            line_no INTEGER NOT NULL,
            stock_id INTEGER NOT NULL REFERENCES stocks(id),
            quantity NUMERIC(15,3) NOT NULL CHECK (quantity > 0), -- MIKTAR
            delivered NUMERIC(15,3) NOT NULL DEFAULT 0,  -- TESLIMEDILEN: the sum of its deliveries
            cancelled NUMERIC(15,3) NOT NULL DEFAULT 0,  -- balance given up
            unit_price NUMERIC(15,2) NOT NULL CHECK (unit_price >= 0), -- BIRIMFIYAT
            first_price NUMERIC(15,2) NOT NULL,          -- ILKFIYAT: the price when ordered
            vat_rate NUMERIC(5,2) NOT NULL CHECK (vat_rate BETWEEN 0 AND 100),
            ind1 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind1 BETWEEN 0 AND 100),
            ind2 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind2 BETWEEN 0 AND 100),
            ind3 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind3 BETWEEN 0 AND 100),
            ind4 NUMERIC(5,2) NOT NULL DEFAULT 0 CHECK (ind4 BETWEEN 0 AND 100),
            campaign INTEGER NOT NULL DEFAULT 0 CHECK (campaign IN (0, 1)),
            note TEXT NOT NULL DEFAULT '',               -- ACIKLAMA
            CHECK (delivered >= 0 AND cancelled >= 0 AND delivered + cancelled <= quantity),
            UNIQUE (order_id, line_no)))"),
        QStringLiteral("CREATE INDEX order_lines_stock ON order_lines(stock_id)"),
        QStringLiteral("CREATE INDEX order_lines_open ON order_lines(stock_id) WHERE delivered + cancelled < quantity"),

        QStringLiteral(R"(CREATE TABLE invoices (
            id INTEGER PRIMARY KEY,                      -- IDNO of the statement row
            account_id INTEGER NOT NULL REFERENCES accounts(id),
            number TEXT NOT NULL UNIQUE,                 -- EVRAKNO
            kind TEXT NOT NULL,                          -- STOKHAR_HAREKETTIPI2, TURADI
            issued_at TIMESTAMP NOT NULL,                -- STOKHAR_HAREKETTARIHI
            due_days INTEGER NOT NULL,                   -- STOKHAR_VADE
            due_date DATE NOT NULL,
            rep_id INTEGER REFERENCES representatives(id), -- SATICIADI
            dispatch_no TEXT NOT NULL DEFAULT '',        -- IRSALIYEEVRAKNO
            currency TEXT NOT NULL DEFAULT 'TL',
            rate NUMERIC(15,4) NOT NULL DEFAULT 1,
            total NUMERIC(15,2) NOT NULL,                -- TOPLAM: sum of the line amounts
            discount_total NUMERIC(15,2) NOT NULL,       -- TOPLAMINDIRIM
            net_total NUMERIC(15,2) NOT NULL,            -- MATRAH
            vat_total NUMERIC(15,2) NOT NULL,            -- KDVTUTAR
            grand_total NUMERIC(15,2) NOT NULL))"),        // KDVDAHIL = net_total + vat_total
        QStringLiteral("CREATE INDEX invoices_account ON invoices(account_id, issued_at)"),

        QStringLiteral(R"(CREATE TABLE invoice_lines (
            id INTEGER PRIMARY KEY,
            invoice_id INTEGER NOT NULL REFERENCES invoices(id) ON DELETE CASCADE,
            line_no INTEGER NOT NULL,
            stock_id INTEGER NOT NULL REFERENCES stocks(id),
            order_line_id INTEGER REFERENCES order_lines(id),
            quantity NUMERIC(15,3) NOT NULL CHECK (quantity <> 0), -- STOKHAR_MIKTAR
            unit_price NUMERIC(15,2) NOT NULL,           -- STOKHAR_TLBIRIMFIYATI
            amount NUMERIC(15,2) NOT NULL,               -- STOKHAR_TLTUTAR
            ind1 NUMERIC(5,2) NOT NULL DEFAULT 0,        -- STOKHAR_INDIRIM1..4
            ind2 NUMERIC(5,2) NOT NULL DEFAULT 0,
            ind3 NUMERIC(5,2) NOT NULL DEFAULT 0,
            ind4 NUMERIC(5,2) NOT NULL DEFAULT 0,
            discount_amount NUMERIC(15,2) NOT NULL,      -- STOKHAR_TOPLAMINDIRIM
            expense_amount NUMERIC(15,2) NOT NULL DEFAULT 0, -- STOKHAR_TOPLAMMASRAF
            net_unit_price NUMERIC(15,2) NOT NULL,       -- STOKHAR_NETTLBIRIMFIYATI
            net_amount NUMERIC(15,2) NOT NULL,           -- STOKHAR_NETTLTUTAR
            vat_rate NUMERIC(5,2) NOT NULL,              -- KDV
            vat_amount NUMERIC(15,2) NOT NULL,           -- STOKHAR_TLVERGI
            note TEXT NOT NULL DEFAULT '',               -- SATIRACIKLMASI
            UNIQUE (invoice_id, line_no)))"),
        QStringLiteral("CREATE INDEX invoice_lines_order_line ON invoice_lines(order_line_id)"),

        QStringLiteral(R"(CREATE TABLE deliveries (
            id INTEGER PRIMARY KEY,
            order_line_id INTEGER NOT NULL REFERENCES order_lines(id) ON DELETE CASCADE,
            invoice_line_id INTEGER REFERENCES invoice_lines(id),
            quantity NUMERIC(15,3) NOT NULL CHECK (quantity > 0),
            delivered_at TIMESTAMP NOT NULL))"),
        QStringLiteral("CREATE INDEX deliveries_order_line ON deliveries(order_line_id)"),

        QStringLiteral(R"(CREATE TABLE web_payments (
            id INTEGER PRIMARY KEY,                      -- SanalposSiranoVer, SAnalPosPdfVer sirano
            account_id INTEGER NOT NULL REFERENCES accounts(id),
            paid_at TIMESTAMP NOT NULL,
            amount NUMERIC(15,2) NOT NULL CHECK (amount > 0),
            installments INTEGER NOT NULL DEFAULT 1 CHECK (installments >= 1),
            card_holder TEXT NOT NULL,
            card_number TEXT NOT NULL,                   -- masked: first six and last four digits
            bank TEXT NOT NULL,
            auth_code TEXT NOT NULL,
            reference TEXT NOT NULL,
            status TEXT NOT NULL))"),
        QStringLiteral("CREATE INDEX web_payments_account ON web_payments(account_id, paid_at)"),

        QStringLiteral(R"(CREATE TABLE collections (
            id INTEGER PRIMARY KEY,                      -- IDNO of the statement row
            account_id INTEGER NOT NULL REFERENCES accounts(id),
            kind TEXT NOT NULL CHECK (kind IN ('Tahsilat', 'Tediye')), -- TURADI
            number TEXT NOT NULL UNIQUE,                 -- EVRAK
            received_at TIMESTAMP NOT NULL,
            amount NUMERIC(15,2) NOT NULL CHECK (amount > 0), -- the sum of its items
            currency TEXT NOT NULL DEFAULT 'TL',
            rate NUMERIC(15,4) NOT NULL DEFAULT 1,
            description TEXT NOT NULL DEFAULT '',
            web_payment_id INTEGER UNIQUE REFERENCES web_payments(id)))"),
        QStringLiteral("CREATE INDEX collections_account ON collections(account_id, received_at)"),

        QStringLiteral(R"(CREATE TABLE collection_items (
            id INTEGER PRIMARY KEY,
            collection_id INTEGER NOT NULL REFERENCES collections(id) ON DELETE CASCADE,
            method TEXT NOT NULL,                        -- Cins
            due_date DATE NOT NULL,                      -- Vade
            amount NUMERIC(15,2) NOT NULL CHECK (amount > 0), -- Tutar
            document_no TEXT NOT NULL DEFAULT '',        -- EvrakNo
            reference TEXT NOT NULL DEFAULT '',          -- Ref
            description TEXT NOT NULL DEFAULT ''))"),      // Açıklama
        QStringLiteral("CREATE INDEX collection_items_collection ON collection_items(collection_id)"),

        // The statement: its rows in (moved_at, id) order give the running balance.
        QStringLiteral(R"(CREATE TABLE account_movements (
            id INTEGER PRIMARY KEY,
            account_id INTEGER NOT NULL REFERENCES accounts(id),
            moved_at TIMESTAMP NOT NULL,                 -- TARIH
            kind TEXT NOT NULL,                          -- TURADI
            document_no TEXT NOT NULL DEFAULT '',        -- EVRAK
            debit NUMERIC(15,2) NOT NULL DEFAULT 0 CHECK (debit >= 0), -- BORC
            credit NUMERIC(15,2) NOT NULL DEFAULT 0 CHECK (credit >= 0), -- ALACAK
            currency TEXT NOT NULL DEFAULT 'TL',         -- KUR
            description TEXT NOT NULL DEFAULT '',        -- ACIKLAMA
            due_date DATE,
            invoice_id INTEGER UNIQUE REFERENCES invoices(id), -- IDNO of invoice rows
            collection_id INTEGER UNIQUE REFERENCES collections(id), -- IDNO of collection rows
            CHECK (invoice_id IS NULL OR collection_id IS NULL)))"),
        QStringLiteral("CREATE INDEX account_movements_account ON account_movements(account_id, moved_at, id)"),

        QStringLiteral(R"(CREATE TABLE banners (
            slot INTEGER PRIMARY KEY CHECK (slot BETWEEN 1 AND 3), -- BannerResimVer, ..2, ..3
            content BLOB NOT NULL,
            file_name TEXT NOT NULL,
            updated_at TIMESTAMP NOT NULL))"),

        QStringLiteral(R"(CREATE TABLE opening_screens (
            id INTEGER PRIMARY KEY,                      -- SiraNo
            title TEXT NOT NULL,                         -- Baslik
            search TEXT NOT NULL DEFAULT '',             -- Arama: a search text, #KAMPANYA# or #YENİ#
            picture BLOB NOT NULL,                       -- Resim (JPEG, sent as hexadecimal text)
            sort_order INTEGER NOT NULL,
            advertisement INTEGER NOT NULL DEFAULT 0 CHECK (advertisement IN (0, 1)), -- also shown at log-in
            active INTEGER NOT NULL DEFAULT 1 CHECK (active IN (0, 1)),
            created_at TIMESTAMP NOT NULL))"),

        QStringLiteral(R"(CREATE TABLE documents (
            id INTEGER PRIMARY KEY,                      -- DosyaListesi, BelgeIndir sirano
            name TEXT NOT NULL,                          -- file name
            title TEXT NOT NULL DEFAULT '',
            mime TEXT NOT NULL,
            content BLOB NOT NULL,
            account_id INTEGER REFERENCES accounts(id),  -- NULL: for every account
            created_at TIMESTAMP NOT NULL))"),

        QStringLiteral(R"(CREATE TABLE mail_outbox (
            id INTEGER PRIMARY KEY,
            created_at TIMESTAMP NOT NULL,
            machine_id TEXT NOT NULL DEFAULT '',
            account_id INTEGER REFERENCES accounts(id),
            reply_to TEXT NOT NULL DEFAULT '',
            recipient TEXT NOT NULL,
            subject TEXT NOT NULL,
            body TEXT NOT NULL,
            sent_at TIMESTAMP,
            attempts INTEGER NOT NULL DEFAULT 0,         -- tries to relay it, the successful one included
            last_error TEXT NOT NULL DEFAULT '',
            next_attempt_at TIMESTAMP,                   -- not tried again before; NULL: at once
            failed_at TIMESTAMP,                         -- given up after the last allowed try
            claimed_by TEXT,                             -- the relay sending it now, so no other one does
            claimed_until TIMESTAMP))"),
        QStringLiteral("CREATE INDEX mail_outbox_unsent ON mail_outbox(created_at) WHERE sent_at IS NULL"),

        QStringLiteral(R"(CREATE TABLE access_requests (
            id INTEGER PRIMARY KEY,
            created_at TIMESTAMP NOT NULL,
            machine_id TEXT NOT NULL,
            account_id INTEGER REFERENCES accounts(id),  -- the account the form was opened for, if any
            remote_address TEXT NOT NULL DEFAULT '',
            company TEXT NOT NULL,
            contact TEXT NOT NULL DEFAULT '',
            phone TEXT NOT NULL DEFAULT '',
            email TEXT NOT NULL DEFAULT '',
            city TEXT NOT NULL DEFAULT '',
            district TEXT NOT NULL DEFAULT '',
            address TEXT NOT NULL DEFAULT '',
            tax_office TEXT NOT NULL DEFAULT '',
            tax_number TEXT NOT NULL DEFAULT '',
            user_name TEXT NOT NULL DEFAULT '',
            note TEXT NOT NULL DEFAULT '',
            status INTEGER NOT NULL DEFAULT 0 CHECK (status IN (0, 1, 2)), -- new, granted, refused
            handled_at TIMESTAMP))"),

        QStringLiteral(R"(CREATE TABLE search_log (
            id INTEGER PRIMARY KEY,
            searched_at TIMESTAMP NOT NULL,
            user_id INTEGER REFERENCES users(id),
            account_id INTEGER REFERENCES accounts(id),
            machine_id TEXT NOT NULL DEFAULT '',
            text TEXT NOT NULL,
            result_count INTEGER NOT NULL))"),
    };
}

static const QStringList &fixedRows()
{
    // Rows every database has: the order statuses the code refers to by number.
    static const QStringList rows = {
        QStringLiteral("INSERT INTO order_statuses (id, name) VALUES (1, 'Alındı'), (2, 'Görüldü'), (3, 'Onaylandı'), "
                       "(4, 'Parçalı Hazırlandı'), (5, 'Hazırlandı'), (6, 'Sevk Edildi'), (7, 'Tamamlandı'), (8, 'İptal Edildi')"),
    };
    return rows;
}

// Version 2 keeps what the mail relay needs to retry, give up and share the outbox with other
// servers on the same file.
static QStringList upgradeFrom1()
{
    return {
        QStringLiteral("ALTER TABLE mail_outbox ADD COLUMN next_attempt_at TIMESTAMP"),
        QStringLiteral("ALTER TABLE mail_outbox ADD COLUMN failed_at TIMESTAMP"),
        QStringLiteral("ALTER TABLE mail_outbox ADD COLUMN claimed_by TEXT"),
        QStringLiteral("ALTER TABLE mail_outbox ADD COLUMN claimed_until TIMESTAMP"),
    };
}

void ensureSchema(Database &db)
{
    const bool exists = db.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'settings'"))
                            .value_or(0).toInt() > 0;
    if (!exists) {
        Transaction tx(db);
        db.execScript(schemaStatements());
        db.execScript(fixedRows());
        writeSetting(db, kSettingSchemaVersion, QString::number(kSchemaVersion));
        tx.commit();
        return;
    }
    QString version = readSetting(db, kSettingSchemaVersion);
    if (version == QLatin1String("1")) {
        // Another server may be upgrading the same file; the version is read again under the
        // write lock so the columns are added once.
        Transaction tx(db);
        version = readSetting(db, kSettingSchemaVersion);
        if (version == QLatin1String("1")) {
            db.execScript(upgradeFrom1());
            writeSetting(db, kSettingSchemaVersion, QStringLiteral("2"));
            version = QStringLiteral("2");
        }
        tx.commit();
    }
    if (version != QString::number(kSchemaVersion))
        throw DatabaseError(QStringLiteral("%1 holds schema version %2, this server needs %3; make a new database with "
                                           "'vexor-server seed'")
                                .arg(db.path(), version.isEmpty() ? QStringLiteral("(none)") : version)
                                .arg(kSchemaVersion)
                                .toStdString());
}

QString readSetting(Database &db, const QString &key, const QString &fallback)
{
    const auto value = db.scalar(QStringLiteral("SELECT value FROM settings WHERE key = ?"), {key});
    return value ? value->toString() : fallback;
}

void writeSetting(Database &db, const QString &key, const QString &value)
{
    db.change(QStringLiteral("INSERT INTO settings (key, value) VALUES (?, ?) "
                             "ON CONFLICT (key) DO UPDATE SET value = excluded.value"),
              {key, value});
}

QString normalizeMachineId(const QString &machineId)
{
    QString id;
    id.reserve(machineId.size());
    for (const QChar c : machineId) {
        if (!c.isSpace())
            id += c;
    }
    return id.toUpper();
}

QString isoDate(QDate date)
{
    return date.toString(Qt::ISODate);
}

QString isoDateTime(const QDateTime &dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

} // namespace vexor
