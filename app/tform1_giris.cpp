// Creation, log-in, user kinds, change of account, the general menu's own items and the exit.
#include "tform1.h"

#include "geribildirim.h"

#include "common/mesaj.h"
#include "common/sysinfo.h"
#include "platform/processexit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

namespace vexor {

bool TForm1::FormCreate()
{
    // The log-in window closes before this one is shown, and this one never closes: the
    // run ends by endProcess only, never because the last window went.
    QApplication::setQuitOnLastWindowClosed(false);
    _acilisadet = 0;
    setWindowTitle(QStringLiteral("Vexor Otomotiv B2B Programı"));
    // The application's title; the window keeps the longer caption.
    QCoreApplication::setApplicationName(QStringLiteral("Vexor Otomotiv B2B"));

    sbilgi.setBilgiSayarAdi(BilgisayarAdiVer());
    sbilgi.setBilgisayarKullanici(BilgisayarKullaniciVer());
    sbilgi.setIcip(YerelIpVer());
    sbilgi.setBILGISAYARID(BilgisayarIdVer());

    bagc.HostName = m_ayarlar.saticiSunucusu;
    bagc.Port = m_ayarlar.port;

    webSitesi->setText(m_adresler.webSitesi());

    if (!GirisYap())
        return false;
    acilisSirasiniBaslat();
    GeriBildirimKaydet();
    return true;
}

bool TForm1::GirisYap()
{
    {
        // Parented to the desktop: the main window is not visible yet.
        Tgirisform giris(m_ayarlar);
        giris.bagim = &bagc;
        giris.Bilgim = &sbilgi;
        giris.cariSecimi = cariSecimi;
        if (giris.exec() != QDialog::Accepted) {
            endProcess(0);
            return false;
        }
    }
    if (sbilgi.Disip().trimmed().isEmpty()) {
        endProcess(0);
        return false;
    }
    tipKurallariniUygula(sbilgi.MusteriTipi());
    return true;
}

void TForm1::tipKurallariniUygula(int musteriTipi)
{
    m_tipKurallari = kullaniciTipiKurallari(musteriTipi);
    musteritus->setVisible(m_tipKurallari.baskaCariSec);
    R1->setVisible(m_tipKurallari.raporlar);
    sPageControl1->setTabVisible(sPageControl1->indexOf(skampanyali), m_tipKurallari.kampanyaSekmesi);
}

void TForm1::CariDegistir()
{
    if (cariSecimi)
        cariSecimi(this, bagc, sbilgi);
    AnaBilgiAl();
    emit cariDegisti();
    sekmeBasligiYaz(sstoklistesi, QStringLiteral("0=Stok Listesi"));
    sPageControl1->setCurrentWidget(sstoklistesi);
    araedit->selectAll();
    araedit->setFocus();
}

void TForm1::GeriBildirimKaydet()
{
    // The notification callback registers on this manager; it reaches the same server.
    DSClientCallbackChannelManager1.HostName = bagc.HostName;
    DSClientCallbackChannelManager1.Port = bagc.Port;
    DSClientCallbackChannelManager1.registerCallback(std::make_shared<TGeriBildirim>(this));
}

void TForm1::webSitesiClick()
{
    QDesktopServices::openUrl(QUrl(m_adresler.webSitesi()));
    araedit->selectAll();
    araedit->setFocus();
}

void TForm1::FormCloseQuery()
{
    if (MesajGoster(QStringLiteral("Programdan Çıkmak İstiyor musunuz ?"), MessageQuestion,
                    kButtonsYesNo, ButtonYes)
        == ResultYes)
        endProcess(0);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The window never closes: the process ends, or everything stays as it is.
    event->ignore();
    FormCloseQuery();
}

} // namespace vexor
