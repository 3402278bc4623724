#include "files/AtomicWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace torvo {

Result<void> writeFileAtomically(const QString& path, const QByteArray& data) {
    return writeFileAtomically(path, [&data](QIODevice& file) { return file.write(data) == data.size(); });
}

Result<void> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write) {
    const QString name = QFileInfo(path).fileName();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure{QStringLiteral("No se pudo crear «%1»: %2").arg(name, file.errorString())};
    if (!write(file)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Failure{QStringLiteral("No se pudo escribir «%1»: %2").arg(name, why)};
    }
    if (!file.commit())
        return Failure{QStringLiteral("No se pudo guardar «%1»: %2").arg(name, file.errorString())};
    return {};
}

Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("No se pudo abrir «%1»: %2").arg(name, file.errorString())};
    if (file.size() > maxBytes)
        return Failure{QStringLiteral("«%1» es demasiado grande para abrirlo (%2 MB).")
                           .arg(name)
                           .arg(file.size() >> 20)};
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure{QStringLiteral("No se pudo leer «%1»: %2").arg(name, file.errorString())};
    return data;
}

} // namespace torvo
