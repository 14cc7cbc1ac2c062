// vexor-b2b: the desktop client. Until the main window is built, the program checks that the
// application server answers and says so, so an installation can be verified end to end.
#include "platform/application.h"

#include "server/baglantiac.h"
#include "server/connection.h"
#include "proxim.h"

#include "common/mesaj.h"

using namespace vexor;

int main(int argc, char **argv)
{
    VexorApplication app(argc, argv);
    Connection bagc;
    bagc.HostName = QStringLiteral("127.0.0.1");
    bagc.Port = 9090;
    if (!BaglantiAc(bagc, 1))
        return 0;
    QString yanit;
    {
        TServerMethods1Client proxy(&bagc);
        yanit = proxy.EchoString(QStringLiteral("Vexor B2B"));
    }
    bagc.close();
    MesajGoster(QStringLiteral("Sunucu yanıt veriyor (%1). Ana pencere henüz bu sürümde yok.").arg(yanit),
                MessageInformation, kButtonsOk, ButtonOk);
    return 0;
}
