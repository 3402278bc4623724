#pragma once

#include "art/DocumentBridge.h"
#include "send/RecordingTypist.h"
#include "window/CommonDialog.h"
#include "window/Form1.h"
#include "window/Grid1Model.h"
#include "window/Grid2Model.h"
#include "window/GridView.h"
#include "window/TabStrip.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <memory>

// A typist that records what would have been typed, call by call, shared with the test.
struct Recorder {
    std::shared_ptr<std::vector<std::vector<torvo::KeyAction>>> calls =
        std::make_shared<std::vector<std::vector<torvo::KeyAction>>>();
    torvo::Form1::TypistFactory factory() {
        auto sink = calls;
        return [sink]() -> torvo::Result<std::unique_ptr<torvo::Typist>> {
            struct Forward : torvo::Typist {
                std::shared_ptr<std::vector<std::vector<torvo::KeyAction>>> sink;
                torvo::Result<void> perform(const std::vector<torvo::KeyAction>& actions) override {
                    sink->push_back(actions);
                    return {};
                }
            };
            auto t = std::make_unique<Forward>();
            t->sink = sink;
            return t;
        };
    }
};

// A window as the user gets it, with its controls found by their names.
struct FormFixture {
    std::unique_ptr<torvo::Form1> form = std::make_unique<torvo::Form1>();

    template <class T> T* control(const char* name) const {
        T* c = form->findChild<T*>(QLatin1String(name));
        if (!c) qFatal("no control %s", name);
        return c;
    }
    QPlainTextEdit* Mensaje() const { return control<QPlainTextEdit>("Mensaje"); }
    torvo::GridView* Grid1() const { return control<torvo::GridView>("Grid1"); }
    torvo::GridView* Grid2() const { return control<torvo::GridView>("Grid2"); }
    QPlainTextEdit* BoxCopy() const { return control<QPlainTextEdit>("BoxCopy"); }
    torvo::TabStrip* SSTab1() const { return control<torvo::TabStrip>("SSTab1"); }
    QWidget* swatch(int i) const {
        return control<QWidget>(QStringLiteral("Color%1").arg(i).toLatin1().constData());
    }
    QString status() const { return form->statusBar()->currentMessage(); }

    const torvo::CharGrid& grid() const { return static_cast<torvo::Grid1Model*>(Grid1()->model())->grid(); }
    const std::vector<torvo::Grid2Model::Row>& colourRows() const {
        return static_cast<torvo::Grid2Model*>(Grid2()->model())->rows();
    }
    // The text view's art as it is drawn: the document's characters, each in the colour laid
    // on it (white where none is), its last line as it is.
    torvo::RichText viewArt() const {
        torvo::RichText t(torvo::colours::White);
        const QTextDocument* doc = Mensaje()->document();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            if (b != doc->begin()) t.appendLineBreak();
            const QString text = b.text();
            const QList<QTextLayout::FormatRange> formats = b.layout()->formats();
            for (qsizetype i = 0; i < text.size();) {
                const torvo::CodePoint cp = torvo::codePointAt(text, i);
                torvo::Colour colour = torvo::colours::White;
                for (const QTextLayout::FormatRange& r : formats)
                    if (r.start <= i && i < r.start + r.length)
                        colour = torvo::Colour::fromQColor(r.format.foreground().color());
                t.appendCharacter(cp.ch, colour);
                i += cp.units;
            }
        }
        return t;
    }
    // Puts art into the text view as the user's own change.
    void setArt(const torvo::RichText& art) {
        torvo::loadDocument(*Mensaje()->document(), art, QTextCharFormat());
    }
    void chooseTab(int index) { SSTab1()->setTab(index); }
    // Keys as the window gets them: shortcuts first, then the widget with the focus.
    void keys(QWidget* focus, QKeySequence k) {
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) qFatal("the window does not become active");
        focus->setFocus();
        QTest::keySequence(form->windowHandle(), k);
    }
    void pressSwatch(int index, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(swatch(index), button);
        QTest::mouseRelease(swatch(index), button);
    }
    // Every file dialog answers with this path ("" = Cancel).
    void answerDialogs(const QString& path) {
        form->dialog()->setChooser([path](auto, const QString&, const QString&) { return path; });
    }
};

inline QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline bool writeBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

inline torvo::RichText art(std::initializer_list<std::pair<QString, torvo::Colour>> runs,
                           bool finalBreak = true) {
    torvo::RichText t;
    for (const auto& [text, colour] : runs)
        t.appendText(text, colour);
    if (finalBreak) t.appendLineBreak();
    return t;
}

// What `torvo` did: its status (-1 when it did not end normally) and output.
struct Run {
    int status = -1;
    QByteArray out, err;
};
// The editor's program, on no display at all unless a platform is named.
inline Run runTorvo(const QStringList& args, const char* platform = nullptr,
                    const QString& standardOutput = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (platform) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(platform));
    p.setProcessEnvironment(env);
    if (!standardOutput.isEmpty()) p.setStandardOutputFile(standardOutput);
    p.start(QStringLiteral(TORVO_BINARY_DIR "/src/torvo"), args);
    Run r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit) r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
