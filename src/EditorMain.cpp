// The editor's program, which `torvo` runs for the window, for the picture export and for
// pictures given to convert.
#include "files/ExportCommand.h"
#include "image/PictureImport.h"
#include "window/Form1.h"
#include "window/QtSpanish.h"

#include <QApplication>
#include <QStandardPaths>
#include <cstdio>

namespace {

// The picture is drawn off screen: no display is needed, and none is used. Qt's remarks
// about the desktop session would break the one-line contract of stderr.
std::unique_ptr<QCoreApplication> pictureApplication(int& argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "torvo: %s\n", qPrintable(message));
    });
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    if (torvo::isCommandLineTool(argc, argv))
        return torvo::commandLineMain(argc, argv, torvo::exportBytes, pictureApplication,
                                      torvo::openPictureFile);
    QApplication app(argc, argv);
    // Both names: the settings (the desktop's sending permission) live in ~/.config/torvo/.
    QApplication::setOrganizationName(QStringLiteral("torvo"));
    QApplication::setApplicationName(QStringLiteral("torvo"));
    QApplication::setDesktopFileName(QStringLiteral("torvo"));
    // One argument is a file handed over by the desktop ("Open with"); nothing else is taken.
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args.front().startsWith(u'-'))) {
        std::fprintf(stderr, "usage: torvo [FILE]\n");
        return 2;
    }
    if (!torvo::installQtSpanish(app))
        std::fprintf(
            stderr,
            "torvo: falta la traducción de Qt al español (qtbase_es); sus diálogos saldrán en inglés.\n");
    torvo::Form1 window;
    window.show();
    // Work left unsaved by an editor that ended (an exit, a crash) comes back first.
    window.startRecovery(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                             QStringLiteral("/recovery"),
                         args.value(0));
    return app.exec();
}
