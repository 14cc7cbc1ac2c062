#include "tform1.h"

#include "sepetsekmesi.h"
#include "stoksekmesi.h"

#include "dialogs/login/webtarayici.h"
#include "platform/gifresim.h"
#include "platform/grid/gridicons.h"
#include "platform/marquee.h"
#include "platform/uppercase.h"
#include "platform/vexorstyle.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vexor {

namespace {

constexpr int kBaslikYuksekligi = 100;
constexpr int kAramaCubuguYuksekligi = 35;
constexpr int kLejantYuksekligi = 27;
constexpr int kAltBantYuksekligi = 40;

QLabel *baslikEtiketi(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setProperty("baslikEtiketi", true);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

TGifResim *mesgulGostergesi(QWidget *parent, const QString &name)
{
    auto *gif = new TGifResim(parent);
    gif->setObjectName(name);
    gif->loadFile(smallBusyAnimationPath());
    gif->setFixedSize(20, 20);
    gif->setStretch(true);
    gif->setProportional(true);
    gif->setCenter(true);
    gif->setVisible(false);
    return gif;
}

} // namespace

TForm1::TForm1(const KurulumAyarlari &ayarlar, QWidget *parent)
    : QMainWindow(parent)
    , m_ayarlar(ayarlar)
    , m_adresler(ayarlar)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vexor Otomotiv B2B Programı"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    resize(1350, 710);
    cerceveyiKur();
    stokSekmesi = new TStokSekmesi(*this);
    sepetSekmesi = new TSepetSekmesi(*this);
}

TForm1::~TForm1() = default;

void TForm1::cerceveyiKur()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addWidget(baslikPaneliniKur());

    RxGIFAnimator2 = new TGifResim(central);
    RxGIFAnimator2->setObjectName(QStringLiteral("RxGIFAnimator2"));
    RxGIFAnimator2->setStretch(true);
    RxGIFAnimator2->setProportional(false);
    RxGIFAnimator2->setFixedHeight(0);
    layout->addWidget(RxGIFAnimator2);

    layout->addWidget(aramaCubugunuKur());
    layout->addWidget(sekmeleriKur(), 1);
    layout->addWidget(lejantiKur());
    layout->addWidget(altBandiKur());
    setCentralWidget(central);
    araedit->setFocus();
}

QWidget *TForm1::baslikPaneliniKur()
{
    baslikPaneli = new QFrame;
    baslikPaneli->setObjectName(QStringLiteral("baslikPaneli"));
    baslikPaneli->setFixedHeight(kBaslikYuksekligi);
    auto *row = new QHBoxLayout(baslikPaneli);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(10);

    logo = new QLabel(baslikPaneli);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setFixedWidth(283);
    logo->setPixmap(vexorLogo(QSize(283, kBaslikYuksekligi - 10)));
    logo->setAlignment(Qt::AlignCenter);
    row->addWidget(logo);

    auto *labels = new QGridLayout;
    labels->setHorizontalSpacing(4);
    labels->setVerticalSpacing(2);
    kullanicilbl = new QLabel(baslikPaneli);
    kullanicilbl->setObjectName(QStringLiteral("kullanicilbl"));
    cariadilbl = new QLabel(baslikPaneli);
    cariadilbl->setObjectName(QStringLiteral("cariadilbl"));
    saticilbl = new QLabel(baslikPaneli);
    saticilbl->setObjectName(QStringLiteral("saticilbl"));
    saticilbl->setWordWrap(true);
    // What the server sends is shown as it is, never as markup. A long account name is cut
    // rather than widening the window: the window must fit screens of 1152 pixels and less.
    for (QLabel *l : {kullanicilbl, cariadilbl, saticilbl}) {
        l->setTextFormat(Qt::PlainText);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    labels->addWidget(baslikEtiketi(QStringLiteral("Kullanıcı: "), baslikPaneli), 0, 0);
    labels->addWidget(kullanicilbl, 0, 1);
    labels->addWidget(baslikEtiketi(QStringLiteral("Firma: "), baslikPaneli), 1, 0);
    labels->addWidget(cariadilbl, 1, 1);
    labels->addWidget(baslikEtiketi(QStringLiteral("Temsilci: "), baslikPaneli), 2, 0);
    labels->addWidget(saticilbl, 2, 1);
    labels->setColumnStretch(1, 1);
    row->addLayout(labels, 1);

    GifResim1 = new TGifResim(baslikPaneli);
    GifResim1->setObjectName(QStringLiteral("GifResim1"));
    GifResim1->setFixedSize(468, 90);
    GifResim1->setStretch(true);
    GifResim1->setProportional(true);
    GifResim1->setCenter(true);
    GifResim1->loadFile(bannerPlaceholderPath());
    GifResim1->setAnimate(true);
    row->addWidget(GifResim1);

    Genelmenu = new QMenu(this);
    Genelmenu->setObjectName(QStringLiteral("Genelmenu"));
    M1 = Genelmenu->addAction(vexorIcon(QStringLiteral("mail")), QStringLiteral("Mail Gönder"));
    Genelmenu->addSeparator();
    N4 = Genelmenu->addAction(vexorIcon(QStringLiteral("sifre")), QStringLiteral("Şifre Değiştirme İsteği"));
    Genelmenu->addSeparator();
    webSitesi = Genelmenu->addAction(vexorIcon(QStringLiteral("web")), QString());
    Genelmenu->addSeparator();
    G1 = Genelmenu->addAction(vexorIcon(QStringLiteral("cikis")), QStringLiteral("Çıkış"));
    Genelmenu->addSeparator();
    R1 = Genelmenu->addAction(vexorIcon(QStringLiteral("rapor")), QStringLiteral("Raporlar"));
    R1->setVisible(false);
    // The mail, password-change and report windows are not part of this build yet.
    for (QAction *a : {M1, N4, R1})
        a->setEnabled(false);
    connect(webSitesi, &QAction::triggered, this, &TForm1::webSitesiClick);
    connect(G1, &QAction::triggered, this, &QWidget::close);

    genelMenuTusu = new QToolButton(baslikPaneli);
    genelMenuTusu->setObjectName(QStringLiteral("genelMenuTusu"));
    genelMenuTusu->setFixedSize(84, 94);
    genelMenuTusu->setIcon(vexorIcon(QStringLiteral("menu")));
    genelMenuTusu->setIconSize(QSize(48, 48));
    genelMenuTusu->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Only the arrow opens the menu; pressing the face does nothing.
    genelMenuTusu->setPopupMode(QToolButton::MenuButtonPopup);
    genelMenuTusu->setMenu(Genelmenu);
    row->addWidget(genelMenuTusu);
    return baslikPaneli;
}

QWidget *TForm1::aramaCubugunuKur()
{
    auto *bar = new QFrame;
    bar->setObjectName(QStringLiteral("aramaCubugu"));
    bar->setFixedHeight(kAramaCubuguYuksekligi);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(6);

    araedit = new QLineEdit(bar);
    araedit->setObjectName(QStringLiteral("araedit"));
    araedit->setFixedWidth(340);
    QFont big = araedit->font();
    big.setPixelSize(20);
    araedit->setFont(big);
    forceUpperCase(araedit);
    row->addWidget(araedit);

    SpeedButton2 = new QToolButton(bar);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setIcon(vexorIcon(QStringLiteral("ara")));
    SpeedButton2->setIconSize(QSize(24, 24));
    SpeedButton2->setToolTip(QStringLiteral("Ara"));
    SpeedButton2->setAutoRaise(true);
    row->addWidget(SpeedButton2);

    SpeedButton1 = new QToolButton(bar);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(vexorIcon(QStringLiteral("temizle")));
    SpeedButton1->setIconSize(QSize(24, 24));
    SpeedButton1->setToolTip(QStringLiteral("Temizle"));
    SpeedButton1->setAutoRaise(true);
    row->addWidget(SpeedButton1);

    musteritus = new QPushButton(vexorIcon(QStringLiteral("cari")), QStringLiteral("Başka Cari Seç"), bar);
    musteritus->setObjectName(QStringLiteral("musteritus"));
    musteritus->setVisible(false);
    connect(musteritus, &QPushButton::clicked, this, &TForm1::CariDegistir);
    row->addWidget(musteritus);

    gifstokara = mesgulGostergesi(bar, QStringLiteral("gifstokara"));
    gifyeniler = mesgulGostergesi(bar, QStringLiteral("gifyeniler"));
    gifkampanyali = mesgulGostergesi(bar, QStringLiteral("gifkampanyali"));
    gifduyuru = mesgulGostergesi(bar, QStringLiteral("gifduyuru"));
    gifoncekiler = mesgulGostergesi(bar, QStringLiteral("gifoncekiler"));
    gifekstre = mesgulGostergesi(bar, QStringLiteral("gifekstre"));
    for (TGifResim *gif : {gifstokara, gifyeniler, gifkampanyali, gifduyuru, gifoncekiler, gifekstre})
        row->addWidget(gif);
    row->addStretch(1);
    return bar;
}

QWidget *TForm1::sekmeleriKur()
{
    sPageControl1 = new QTabWidget;
    sPageControl1->setObjectName(QStringLiteral("sPageControl1"));
    sPageControl1->setIconSize(QSize(32, 32));
    sPageControl1->setDocumentMode(false);
    sPageControl1->setUsesScrollButtons(true);

    struct Sekme
    {
        QWidget **page;
        const char *name;
        const char16_t *caption;
        const char *icon;
    };
    const Sekme sekmeler[] = {
        {&sstoklistesi, "sstoklistesi", u"Stok Listesi", "stok"},
        {&ssepet, "ssepet", u"Sepet", "sepet"},
        {&sonceki, "sonceki", u"Önceki Siparişler", "onceki"},
        {&sccariekstre, "sccariekstre", u"Cari Ekstre", "ekstre"},
        {&syeniler, "syeniler", u"Yeni Stoklar", "yeni"},
        {&skampanyali, "skampanyali", u"Kampanyalı Stoklar", "kampanya"},
        {&sTabSheetduyuru, "sTabSheetduyuru", u"Duyurular", "duyuru"},
        {&sTabbakiyeler, "sTabbakiyeler", u"Bakiyeler", "bakiye"},
        {&ss, "ss", u"Sanal Pos", "sanalpos"},
    };
    for (const Sekme &s : sekmeler) {
        auto *page = new QWidget;
        page->setObjectName(QString::fromLatin1(s.name));
        auto *pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        *s.page = page;
        sPageControl1->addTab(page, vexorIcon(QString::fromLatin1(s.icon)), QString::fromUtf16(s.caption));
    }

    // The payment tab holds a browser and stays hidden; nothing shows it.
    sitem = new TWebTarayici(ss);
    sitem->setObjectName(QStringLiteral("sitem"));
    ss->layout()->addWidget(sitem);
    sPageControl1->setTabVisible(sPageControl1->indexOf(ss), false);
    sPageControl1->setCurrentWidget(sstoklistesi);
    return sPageControl1;
}

QWidget *TForm1::lejantiKur()
{
    durumLejanti = new QFrame;
    durumLejanti->setObjectName(QStringLiteral("durumLejanti"));
    durumLejanti->setFixedHeight(kLejantYuksekligi);
    auto *row = new QHBoxLayout(durumLejanti);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(2);
    row->addWidget(new QLabel(QStringLiteral("Durum Açıklaması:    "), durumLejanti));

    // The legend explains the grids' status icons, in this order, with these blanks.
    struct Durum
    {
        int kod;
        const char16_t *yazi;
    };
    constexpr Durum durumlar[] = {
        {1, u" Stok mevcut  "},      {2, u" Telefon Açınız  "}, {3, u" Yolda  "},
        {5, u" Tedarik Sürecinde "}, {4, u" Özel Sipariş  "},   {0, u" Yok  "},
    };
    for (const Durum &d : durumlar) {
        auto *icon = new QLabel(durumLejanti);
        if (const std::optional<GridIcon> gridIcon = statusIcon(d.kod))
            icon->setPixmap(gridPixmap(*gridIcon, 24, devicePixelRatioF()));
        icon->setFixedSize(24, 24);
        row->addWidget(icon);
        row->addWidget(new QLabel(QString::fromUtf16(d.yazi), durumLejanti));
    }
    row->addStretch(1);
    return durumLejanti;
}

QWidget *TForm1::altBandiKur()
{
    Panel5 = new QFrame;
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFixedHeight(kAltBantYuksekligi);
    auto *column = new QVBoxLayout(Panel5);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The picture band scrolls above the news line once a lower banner arrives.
    RealTimeMarquee1 = new Marquee(Panel5);
    RealTimeMarquee1->setObjectName(QStringLiteral("RealTimeMarquee1"));
    RealTimeMarquee1->setFixedHeight(0);
    RealTimeMarquee1->setVisible(false);
    column->addWidget(RealTimeMarquee1);

    kayanyazi = new Marquee(Panel5);
    kayanyazi->setObjectName(QStringLiteral("kayanyazi"));
    kayanyazi->setFixedHeight(kAltBantYuksekligi);
    kayanyazi->setItemSpacing(5);
    column->addWidget(kayanyazi);
    return Panel5;
}

void TForm1::sekmeBasligiYaz(QWidget *sekme, const QString &baslik)
{
    const int index = sPageControl1->indexOf(sekme);
    if (index >= 0)
        sPageControl1->setTabText(index, baslik);
}

QString TForm1::sekmeBasligi(QWidget *sekme) const
{
    return sPageControl1->tabText(sPageControl1->indexOf(sekme));
}

} // namespace vexor
