#include "window/Form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("torvo"));
    torvo::Form1 window;
    window.show();
    return app.exec();
}
