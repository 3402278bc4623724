#include "window/QtSpanish.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <utility>

namespace torvo {

namespace {

// The file dialog's type names, which Debian's qtbase_es leaves in English. Asked before
// qtbase_es (the last translator installed is asked first); answers nothing else.
class FileTypeNames : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        static const std::pair<const char*, const char*> names[] = {{"Folder", "Carpeta"},
                                                                    {"Drive", "Unidad"},
                                                                    {"Shortcut", "Acceso directo"},
                                                                    {"Unknown", "Desconocido"}};
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        for (const auto& [english, spanish] : names)
            if (qstrcmp(source, english) == 0) return QString::fromUtf8(spanish);
        return {};
    }
};

} // namespace

bool installQtSpanish(QCoreApplication& app) {
    // The names of file types in the file dialog come from the default locale.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(new FileTypeNames(&app));
    return true;
}

} // namespace torvo
