#pragma once

#include "kullanicitipi.h"

#include "common/memtable.h"

#include <QGroupBox>
#include <QObject>
#include <QString>

#include <vector>

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace vexor {

class GridView;
class TForm1;

// A group of radio buttons whose items carry a number beside their text (delivery options,
// cargo types). No item is selected after clear(); itemIndex() is -1 then.
class TRadioGrubu : public QGroupBox
{
    Q_OBJECT

public:
    explicit TRadioGrubu(const QString &baslik, QWidget *parent = nullptr);

    void clear();
    void addItem(const QString &metin, qint32 numara);
    int count() const { return int(m_ogeler.size()); }
    QString itemText(int index) const;
    qint32 itemNumber(int index) const;
    // -1: none selected. Setting it does not emit itemClicked.
    int itemIndex() const;
    void setItemIndex(int index);
    // Selects an item as a click of the user does (itemClicked follows).
    void click(int index);

signals:
    // The user chose another item (clicking the item already chosen changes nothing).
    void itemClicked(int index);

private:
    struct Oge
    {
        QString metin;
        qint32 numara = 0;
    };
    std::vector<Oge> m_ogeler;
    QButtonGroup *m_grup = nullptr;
    QVBoxLayout *m_duzen = nullptr;
    // The item last chosen by a click or setItemIndex (-1: none).
    int m_secili = -1;
};

// The "Sepet" tab: the cart that lives on the server, its marks and totals, delivery and
// cargo choice and sending the order. Built by the main window into its `ssepet` page; it
// lives as long as the window. Every change is a remote call followed by a reload of the whole
// cart, so `sepet` always shows what the server holds.
class TSepetSekmesi : public QObject
{
    Q_OBJECT

public:
    explicit TSepetSekmesi(TForm1 &form);
    ~TSepetSekmesi() override;

    // The cart lines of the current account (SepetVer2), replaced on every reload.
    MemTable sepet;
    // Cargo firms of the chosen cargo type (KargolarVer).
    MemTable kargo;

    // The cart table has been loaded.
    bool sepetAcik() const { return sepet.isActive(); }

    // The tab is shown: overdue warning in the background, then cart, delivery and cargo lists.
    void ssepetShow();
    // Reloads the cart from the server, sets the "N=Sepet" badge and the totals.
    void SepetYukle();
    // Delivery options and cargo types, reloaded with their selections reset.
    void TeslimKargoYukle();
    // Totals of the marked lines into the totals panel.
    void SepetToplamla();
    // Stores one line's mark on the server; false when that did not happen.
    bool SepetSecimKaydet(qint32 sirano, int secim);
    // Changes the cart line `sirano` through the stock detail dialog.
    void SepetSatirDegistir(qint32 sirano);

    // Buttons and menu items.
    void Button1Click();   // "Gönder"
    void Button2Click();   // "Excel Kaydet"
    void Button4Click();   // "Hepsini Seç"
    void Button5Click();   // "Seçimleri Kaldır"
    void cxGridDBTableView1DblClick();
    void SatirDegistirClick();
    void SatirSilClick();
    void HepsiniSilClick();
    void boxkargoClick();
    void kargocomboChange();

    // Controls, named as the rest of the program refers to them.
    GridView *cxGridDBTableView1 = nullptr;
    QPushButton *Button4 = nullptr;        // "Hepsini Seç"
    QPushButton *Button5 = nullptr;        // "Seçimleri Kaldır"
    QLabel *lbluyarbakiye = nullptr;
    TRadioGrubu *teslimbox = nullptr;      // "Teslim Durumu"
    TRadioGrubu *boxkargo = nullptr;       // "Kargo Türleri"
    QGroupBox *kargoGrubu = nullptr;       // "Kargo"
    QComboBox *kargocombo = nullptr;
    QLabel *uyarikargo = nullptr;
    QGroupBox *mesajGrubu = nullptr;       // "Mesaj"
    QPlainTextEdit *aciklamagir = nullptr;
    QLabel *aratoplamBaslik = nullptr;     // "Toplam:"
    QLabel *aratoplaml = nullptr;
    QLabel *indirimBaslik = nullptr;       // "İndirim Toplam:"
    QLabel *indiriml = nullptr;
    QLabel *nettutarBaslik = nullptr;      // "Ara Toplam:"
    QLabel *nettutarl = nullptr;
    QLabel *vergiBaslik = nullptr;         // "Vergi:"
    QLabel *vergil = nullptr;
    QLabel *geneltoplamBaslik = nullptr;   // "Genel Toplam:"
    QLabel *geneltoplaml = nullptr;
    QPushButton *Button1 = nullptr;        // "Gönder"
    QPushButton *Button2 = nullptr;        // "Excel Kaydet"
    QMenu *sepetMenu = nullptr;            // grid context menu
    QAction *SatirDegistir = nullptr;      // "Satır Değiştir"
    QAction *SatirSil = nullptr;           // "Satır Sil"
    QAction *HepsiniSil = nullptr;         // "Hepsini Sil"

signals:
    // The cart was reloaded (also when the reload failed and the old content stays).
    void sepetYuklendi();
    // The overdue warning has been written into lbluyarbakiye (or left as it was).
    void bakiyeUyarisiBitti();

private:
    void arayuzuKur();
    void kolonKurallariniUygula();
    void CariBakiyeUyariBak();
    void KargoFirmalariAl(qint32 kargoTuru);
    void secimleriYaz(int secim);
    // How storing one line's mark went: stored, no connection (the opener has said so), or
    // the server refused the call (the line is gone there, for example).
    enum class SecimKaydi { Kaydedildi, BaglantiYok, Reddedildi };
    SecimKaydi secimKaydet(qint32 sirano, int secim);
    bool satiriOdakla();
    void SepetSatirGuncelle(qint32 sirano, const QString &barkod, const QString &stokadi, double miktar, double kdv,
                            double fiyat, const double (&oranlar)[4]);
    bool SiparisGonder(qint32 teslim, qint32 kargoTuru, qint32 firma);
    int satirBul(qint32 sirano) const;

    TForm1 &m_form;
    // Index of the current line of `sepet` (-1: none).
    int m_gecerliSatir = -1;
    // The column rules of the kind of user the grid was last set up for.
    QList<KolonKurali> m_uygulananKurallar;
    bool m_kurallarUygulandi = false;
};

} // namespace vexor
