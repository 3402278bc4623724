#include "files/ExportCommand.h"
#include "window/Form1.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    // Conversions and the help run without a window, and without a GUI application for text.
    if (torvo::isCommandLineTool(argc, argv)) return torvo::commandLineMain(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("torvo"));
    // The settings file is ~/.config/torvo/torvo.conf.
    QApplication::setOrganizationName(QStringLiteral("torvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Torvo"));
    QApplication::setDesktopFileName(QStringLiteral("torvo"));
    // One argument is a file handed over by the desktop ("Open with"); nothing else is taken.
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args.front().startsWith(u'-'))) {
        std::fprintf(stderr, "usage: torvo [FILE]\n");
        return 2;
    }
    torvo::Form1 window;
    window.show();
    if (args.size() == 1) window.openPath(args.front());
    return app.exec();
}
