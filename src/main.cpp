#include "window/Form1.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Both names: the settings (the desktop's sending permission) live in ~/.config/torvo/.
    QApplication::setOrganizationName(QStringLiteral("torvo"));
    QApplication::setApplicationName(QStringLiteral("torvo"));
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
