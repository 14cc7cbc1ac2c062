#include "baglantiac.h"

#include "connection.h"

#include "common/mesaj.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace vexor {

void varsayilanBekleme(int milliseconds)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread() && QAbstractEventDispatcher::instance()) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

bool BaglantiAc(Connection &connection, int mesaj)
{
    return BaglantiAc(connection, mesaj, varsayilanBekleme);
}

bool BaglantiAc(Connection &connection, int mesaj, const BaglantiBekleme &bekle)
{
    connection.close();
    for (int basarisiz = 0; basarisiz < kBaglantiDenemeSayisi;) {
        try {
            connection.open();
            return true;
        } catch (const std::exception &) {
            connection.close();
            ++basarisiz;
            bekle(kBaglantiBeklemeMs);
        }
    }
    if (mesaj == 1)
        MesajGoster(kBaglantiKurulamiyor, MessageError, kButtonsOk, ButtonOk);
    return false;
}

} // namespace vexor
