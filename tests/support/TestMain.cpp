#include "TestRegistry.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#ifdef TORVO_TEST_WIDGETS
#include <QApplication>
using App = QApplication;
#else
#include <QGuiApplication>
using App = QGuiApplication;
#endif

namespace torvo::test {
std::vector<Factory>& registry() {
    static std::vector<Factory> all;
    return all;
}
} // namespace torvo::test

int main(int argc, char** argv) {
    // Tests that start their own X server need no screen themselves: without any display
    // the default platform would end the program before a test runs.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and data folders of their own, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    App app(argc, argv);
    App::setApplicationName(QStringLiteral("torvo"));
    App::setOrganizationName(QStringLiteral("torvo"));
    // Settings of this run alone: test programs running side by side never share them.
    const QTemporaryDir settings;
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settings.path());
    // A test class may be chosen with -class Name; other arguments go to QtTest.
    QStringList args = app.arguments();
    QString only;
    const qsizetype at = args.indexOf(QStringLiteral("-class"));
    if (at >= 0 && at + 1 < args.size()) {
        only = args.at(at + 1);
        args.remove(at, 2);
    }
    int failed = 0;
    for (const auto& make : torvo::test::registry()) {
        auto object = make();
        if (!only.isEmpty() && only != QLatin1String(object->metaObject()->className())) continue;
        QSettings().clear(); // what one class chose never reaches the next
        failed += QTest::qExec(object.get(), args) != 0 ? 1 : 0;
    }
    return failed == 0 ? 0 : 1;
}
