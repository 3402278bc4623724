// The editor's window on whatever platform Qt is given (wayland, xcb), holding the mixed
// art named on the command line ("mixed N SEED"). It prints "ready" once shown,
// sends when a line comes on standard input (the countdown run through at once, once the
// window is no longer the focused one), and prints the status line it ends with.

#include "../SendArt.h"
#include "art/DocumentBridge.h"
#include "window/Form1.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList args = app.arguments();
    const torvo::RichText art = torvo::test::mixedArt(args.value(2).toInt(), args.value(3).toUInt());
    torvo::Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form, 20000)) {
        std::printf("not shown\n");
        return 1;
    }
    torvo::loadDocument(*form.findChild<QPlainTextEdit*>(QStringLiteral("Mensaje"))->document(), art,
                        QTextCharFormat());
    QCoreApplication::processEvents();
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    // The countdown gives the window the time to hear that the terminal has the focus now.
    if (!QTest::qWaitFor([&form] { return !form.isActiveWindow(); }, 20000)) std::printf("still focused\n");
    form.Enviar_Click();
    for (int tick = 0; tick < 6; ++tick)
        form.Timer1_Timer();
    std::printf("%s\n", qPrintable(form.statusBar()->currentMessage()));
    return 0;
}
