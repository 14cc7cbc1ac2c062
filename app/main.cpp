// vexor-b2b: the desktop client of the Vexor B2B ordering service.
#include "tform1.h"

#include "common/mesaj.h"
#include "platform/application.h"
#include "platform/processexit.h"
#include "platform/vexorstyle.h"
#include "server/webadresleri.h"

#include <QLocale>
#include <QtGlobal>

#include <unistd.h>

using namespace vexor;

int main(int argc, char **argv)
{
    // The web form runs Chromium, which refuses to start as root inside its sandbox; a client
    // that runs as root in a kiosk or a container would otherwise show an empty form. The
    // program reads no environment of its own: this only tells the embedded engine.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Embedded web views share the widgets' OpenGL context; this must precede the
    // application object.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    VexorApplication app(argc, argv);
    QLocale::setDefault(QLocale::system());

    // The tab captions with counts are drawn for every tab row from here on, even when the
    // style sheet cannot be applied.
    const QString stilHatasi = applyVexorStyle(app);
    if (!stilHatasi.isEmpty())
        MesajGoster(stilHatasi, MessageError, kButtonsOk, ButtonOk);

    const QString ayarDosyasi = kurulumAyarDosyasiYolu();
    const KurulumAyarOkumasi okuma = kurulumAyarlariniOku(ayarDosyasi);
    if (!okuma.sorunlar.isEmpty())
        MesajGoster(QStringLiteral("Kurulum ayarları okunamadı:\n") + okuma.sorunlar.join(u'\n')
                        + QStringLiteral("\n\nBunların yerine varsayılan ayarlar kullanılıyor."),
                    MessageError, kButtonsOk, ButtonOk);

    TForm1 Form1(okuma.ayarlar);
    if (!Form1.FormCreate())
        return 0;
    Form1.showMaximized();
    return app.exec();
}
