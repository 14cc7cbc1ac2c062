#include "common/mesaj.h"
#include "platform/application.h"
#include "platform/messagebox.h"

#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 30000;

// Answers every message with a chosen button (or the default) and remembers what it was asked.
class ScriptedPresenter final : public MessagePresenter
{
public:
    int present(const MessageRequest &request) override
    {
        requests.append(request);
        threads.append(QThread::currentThread());
        if (const MessageRequestButton *b = request.findButton(answerButton))
            return b->result;
        return request.defaultResult();
    }

    int answerButton = -1;
    QList<MessageRequest> requests;
    QList<QThread *> threads;
};

QStringList captionsOf(const MessageRequest &request)
{
    QStringList captions;
    for (const MessageRequestButton &b : request.buttons)
        captions << b.caption;
    return captions;
}

QList<int> resultsOf(const MessageRequest &request)
{
    QList<int> results;
    for (const MessageRequestButton &b : request.buttons)
        results << b.result;
    return results;
}

class ThrowingObject : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Olay işlenemedi");
        return QObject::event(e);
    }
};

} // namespace

class TstMesaj : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void request_data();
    void request();
    void goesThroughPresenter();
    void withoutPresenterAnswersDefault();
    void fromWorkerThread();
    void widgetPresenter_data();
    void widgetPresenter();
    void eventHandlerExceptionShowsError();

private:
    std::shared_ptr<MessagePresenter> m_appPresenter;
};

void TstMesaj::init()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    m_appPresenter = setMessagePresenter(nullptr);
}

void TstMesaj::cleanup()
{
    setMessagePresenter(m_appPresenter);
}

void TstMesaj::request_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<quint32>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<int>("defaultResult");

    QTest::newRow("warning, OK") << 0 << 4u << 2 << u"Uyarı"_s << QStringList{u"Tamam"_s}
                                 << QList<int>{1} << 1;
    QTest::newRow("error, OK") << 1 << 4u << 2 << u"Hata"_s << QStringList{u"Tamam"_s}
                               << QList<int>{1} << 1;
    QTest::newRow("information, OK") << 2 << 4u << 2 << u"Bilgi"_s << QStringList{u"Tamam"_s}
                                     << QList<int>{1} << 1;
    QTest::newRow("question, Yes/No, default Yes")
        << 3 << 3u << 0 << u"Soru"_s << QStringList{u"Evet"_s, u"Hayır"_s} << QList<int>{6, 7} << 6;
    QTest::newRow("question, Yes/No, default No")
        << 3 << 3u << 1 << u"Soru"_s << QStringList{u"Evet"_s, u"Hayır"_s} << QList<int>{6, 7} << 7;
    QTest::newRow("every button, in index order")
        << 3 << 0x7ffu << 10 << u"Soru"_s
        << QStringList{u"Evet"_s, u"Hayır"_s, u"Tamam"_s, u"Vazgeç"_s, u"İptal"_s, u"Tekrar"_s,
                       u"Atla"_s, u"Tümü"_s, u"Tümüne Hayır"_s, u"Tümüne Evet"_s, u"Yardım"_s}
        << QList<int>{6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 11} << 11;
    QTest::newRow("default outside the set: first present button")
        << 0 << (buttonBit(ButtonOk) | buttonBit(ButtonCancel)) << int(ButtonYes) << u"Uyarı"_s
        << QStringList{u"Tamam"_s, u"Vazgeç"_s} << QList<int>{1, 2} << 1;
    QTest::newRow("empty set shows OK") << 1 << 0u << 2 << u"Hata"_s << QStringList{u"Tamam"_s}
                                        << QList<int>{1} << 1;
    QTest::newRow("bits beyond the list ignored")
        << 2 << ((1u << 11) | (1u << 31) | buttonBit(ButtonRetry)) << int(ButtonRetry) << u"Bilgi"_s
        << QStringList{u"Tekrar"_s} << QList<int>{4} << 4;
    QTest::newRow("unknown kind has no title") << 9 << 4u << 2 << QString()
                                               << QStringList{u"Tamam"_s} << QList<int>{1} << 1;
}

void TstMesaj::request()
{
    QFETCH(int, kind);
    QFETCH(quint32, buttons);
    QFETCH(int, defaultButton);
    QFETCH(QString, title);
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, results);
    QFETCH(int, defaultResult);

    const MessageRequest r = makeMessageRequest(u"Metin"_s, kind, buttons, defaultButton);
    QCOMPARE(r.text, u"Metin"_s);
    QCOMPARE(r.kind, kind);
    QCOMPARE(r.title, title);
    QCOMPARE(captionsOf(r), captions);
    QCOMPARE(resultsOf(r), results);
    QCOMPARE(r.defaultResult(), defaultResult);
}

void TstMesaj::goesThroughPresenter()
{
    auto presenter = std::make_shared<ScriptedPresenter>();
    setMessagePresenter(presenter);

    presenter->answerButton = ButtonNo;
    QCOMPARE(MesajGoster(u"Silinsin mi?"_s, MessageQuestion, kButtonsYesNo, ButtonYes), 7);
    presenter->answerButton = -1;
    QCOMPARE(MesajGoster(u"Kaydedildi"_s, MessageInformation, kButtonsOk, ButtonOk), 1);

    QCOMPARE(presenter->requests.size(), 2);
    const MessageRequest &question = presenter->requests.at(0);
    QCOMPARE(question.text, u"Silinsin mi?"_s);
    QCOMPARE(question.title, u"Soru"_s);
    QCOMPARE(question.defaultButton, int(ButtonYes));
    QCOMPARE(captionsOf(question), (QStringList{u"Evet"_s, u"Hayır"_s}));
    QCOMPARE(presenter->requests.at(1).title, u"Bilgi"_s);
}

void TstMesaj::withoutPresenterAnswersDefault()
{
    QTest::ignoreMessage(QtInfoMsg, "Soru Devam edilsin mi?");
    QCOMPARE(MesajGoster(u"Devam edilsin mi?"_s, MessageQuestion, kButtonsYesNo, ButtonNo), 7);
    QTest::ignoreMessage(QtWarningMsg, "Hata Bağlantı yok");
    QCOMPARE(MesajGoster(u"Bağlantı yok"_s, MessageError, kButtonsOk, ButtonOk), 1);
}

void TstMesaj::fromWorkerThread()
{
    auto presenter = std::make_shared<ScriptedPresenter>();
    presenter->answerButton = ButtonNo;
    setMessagePresenter(presenter);

    int result = 0;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        result = MesajGoster(u"İşçiden soru"_s, MessageQuestion, kButtonsYesNo, ButtonYes);
    }));
    worker->start();
    // The UI thread keeps running its loop; the worker waits for the answer.
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), kWaitMs);
    QVERIFY(worker->wait(kWaitMs));

    QCOMPARE(result, 7);
    QCOMPARE(presenter->threads, QList<QThread *>{QThread::currentThread()});
    QCOMPARE(presenter->requests.value(0).text, u"İşçiden soru"_s);
}

void TstMesaj::widgetPresenter_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<quint32>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("expected");

    const QStringList yesNo{u"Evet"_s, u"Hayır"_s};
    QTest::newRow("question, default No, Enter")
        << 3 << kButtonsYesNo << int(ButtonNo) << int(Qt::Key_Enter) << u"Soru"_s << yesNo
        << u"Hayır"_s << 7;
    QTest::newRow("question, default Yes, Return")
        << 3 << kButtonsYesNo << int(ButtonYes) << int(Qt::Key_Return) << u"Soru"_s << yesNo
        << u"Evet"_s << 6;
    QTest::newRow("question, default Yes, Escape answers No")
        << 3 << kButtonsYesNo << int(ButtonYes) << int(Qt::Key_Escape) << u"Soru"_s << yesNo
        << u"Evet"_s << 7;
    QTest::newRow("error, OK") << 1 << kButtonsOk << int(ButtonOk) << int(Qt::Key_Enter)
                               << u"Hata"_s << QStringList{u"Tamam"_s} << u"Tamam"_s << 1;
    QTest::newRow("warning, OK/Cancel, default Cancel")
        << 0 << (kButtonsOk | buttonBit(ButtonCancel)) << int(ButtonCancel) << int(Qt::Key_Enter)
        << u"Uyarı"_s << QStringList{u"Tamam"_s, u"Vazgeç"_s} << u"Vazgeç"_s << 2;
}

void TstMesaj::widgetPresenter()
{
    QFETCH(int, kind);
    QFETCH(quint32, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, key);
    QFETCH(QString, title);
    QFETCH(QStringList, captions);
    QFETCH(QString, focused);
    QFETCH(int, expected);

    setMessagePresenter(std::make_shared<WidgetMessagePresenter>());
    QWidget mainWindow;
    mainWindow.resize(800, 600);
    mainWindow.show();
    QApplication::setActiveWindow(&mainWindow);
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));

    QString seenTitle, seenFocus;
    QStringList seenCaptions;
    QWidget *seenParent = nullptr;
    int seenFontSize = 0;
    bool seenIcon = false;
    // Looks at the box once its modal loop runs, then answers it with the key.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || !QApplication::focusWidget())
            return;
        poll.stop();
        seenTitle = box->windowTitle();
        for (QAbstractButton *b : box->buttons())
            seenCaptions << b->text();
        if (auto *b = qobject_cast<QAbstractButton *>(QApplication::focusWidget()))
            seenFocus = b->text();
        seenParent = box->parentWidget();
        seenFontSize = box->font().pointSize();
        seenIcon = box->icon() != QMessageBox::NoIcon;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    });
    poll.start();
    QTimer::singleShot(kWaitMs, this, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });

    const int result = MesajGoster(u"Sipariş gönderilsin mi?"_s, kind, buttons, defaultButton);

    QCOMPARE(seenTitle, title);
    seenCaptions.sort();
    QStringList expectedCaptions = captions;
    expectedCaptions.sort();
    QCOMPARE(seenCaptions, expectedCaptions);
    QCOMPARE(seenFocus, focused);
    QCOMPARE(seenParent, &mainWindow);
    QCOMPARE(seenFontSize, 15);
    QVERIFY(seenIcon);
    QCOMPARE(result, expected);
}

void TstMesaj::eventHandlerExceptionShowsError()
{
    auto presenter = std::make_shared<ScriptedPresenter>();
    setMessagePresenter(presenter);

    ThrowingObject object;
    QEvent event(QEvent::User);
    QCOMPARE(QCoreApplication::sendEvent(&object, &event), false);
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QTRY_COMPARE_WITH_TIMEOUT(presenter->requests.size(), 2, kWaitMs);

    for (const MessageRequest &r : std::as_const(presenter->requests)) {
        QCOMPARE(r.text, u"Olay işlenemedi"_s);
        QCOMPARE(r.kind, int(MessageError));
        QCOMPARE(r.title, u"Hata"_s);
        QCOMPARE(captionsOf(r), QStringList{u"Tamam"_s});
    }
}

int main(int argc, char **argv)
{
    VexorApplication app(argc, argv);
    TstMesaj test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mesaj.moc"
