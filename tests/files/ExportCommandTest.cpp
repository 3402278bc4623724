#include "files/ExportCommand.h"
#include "TestRegistry.h"

#include <QTest>

using namespace torvo;

// Which command lines run the tool without a window, and which open the editor.
class ExportCommandTest : public QObject {
    Q_OBJECT
private slots:
    void commandLineToolOrEditor() {
        const struct {
            std::vector<const char*> args;
            bool tool;
        } cases[] = {
            {{"torvo", "--export", "html", "a.qcg", "-"}, true},
            {{"torvo", "--help"}, true},
            {{"torvo", "-h"}, true},
            {{"torvo"}, false},
            {{"torvo", "dibujo.qcg"}, false},
            {{"torvo", "--exportar"}, false},
        };
        for (const auto& c : cases) {
            std::vector<char*> argv;
            for (const char* a : c.args)
                argv.push_back(const_cast<char*>(a));
            QVERIFY2(isCommandLineTool(int(argv.size()), argv.data()) == c.tool, c.args.back());
        }
    }
};
TORVO_TEST(ExportCommandTest)
#include "ExportCommandTest.moc"
