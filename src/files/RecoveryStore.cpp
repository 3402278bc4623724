#include "files/RecoveryStore.h"

#include "base/CodePoints.h"
#include "files/AtomicWrite.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QtEndian>
#include <algorithm>

namespace torvo {
namespace {

constexpr QByteArrayView Magic = "TORVO-RECOVERY 1\n";

quint64 checksum(QByteArrayView bytes) {
    // FNV-1a over little-endian 64-bit words, then the last bytes one by one: enough to
    // tell a damaged file from a whole one, and quick on a large picture.
    quint64 h = 14695981039346656037ull;
    const qsizetype words = bytes.size() / 8;
    for (qsizetype i = 0; i < words; ++i) {
        h ^= qFromLittleEndian<quint64>(bytes.data() + 8 * i);
        h *= 1099511628211ull;
    }
    for (qsizetype i = 8 * words; i < bytes.size(); ++i) {
        h ^= quint8(bytes[i]);
        h *= 1099511628211ull;
    }
    return h;
}

char* put32(char* out, quint32 v) {
    qToLittleEndian(v, out);
    return out + 4;
}

struct Reader {
    QByteArrayView bytes;
    qsizetype at = 0;
    bool ok = true;
    quint32 take32() {
        if (bytes.size() - at < 4) {
            ok = false;
            return 0;
        }
        const quint32 v = qFromLittleEndian<quint32>(bytes.data() + at);
        at += 4;
        return v;
    }
};

bool isCodePoint(char32_t ch) {
    return ch <= 0x10FFFF && !isSurrogate(ch);
}

} // namespace

QByteArray encodeRecovery(const RichText& art, const QString& file) {
    const QByteArray name = file.toUtf8();
    const qsizetype body = Magic.size() + 4 + name.size() + 8 + qsizetype(art.size()) * 8;
    QByteArray out(body + 8, Qt::Uninitialized);
    char* at = std::copy(Magic.begin(), Magic.end(), out.data());
    at = put32(at, quint32(name.size()));
    at = std::copy(name.begin(), name.end(), at);
    at = put32(at, art.typingColour().value());
    at = put32(at, quint32(art.size()));
    for (const RichText::Position& p : art.positions())
        at = put32(put32(at, quint32(p.ch)), p.colour.value());
    qToLittleEndian(checksum(QByteArrayView(out.constData(), body)), at);
    return out;
}

Result<RecoveredArt> decodeRecovery(QByteArrayView bytes) {
    auto fail = [](const char* why) { return Failure{QString::fromUtf8(why)}; };
    if (!bytes.startsWith(Magic)) return fail("no es un archivo de recuperación de Torvo");
    if (bytes.size() < Magic.size() + 8) return fail("el archivo está incompleto");
    const QByteArrayView body = bytes.first(bytes.size() - 8);
    if (qFromLittleEndian<quint64>(bytes.data() + body.size()) != checksum(body))
        return fail("el archivo está dañado o incompleto");
    Reader in{body, Magic.size()};
    const quint32 nameSize = in.take32();
    if (!in.ok || nameSize > quint32(body.size() - in.at)) return fail("el archivo está dañado");
    RecoveredArt out;
    out.file = QString::fromUtf8(body.data() + in.at, nameSize);
    in.at += nameSize;
    const Colour typing(in.take32());
    const quint32 count = in.take32();
    if (!in.ok || qsizetype(count) * 8 != body.size() - in.at) return fail("el archivo está dañado");
    std::vector<RichText::Position> positions;
    positions.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        const char32_t ch = in.take32();
        const Colour colour(in.take32());
        // A line break is always CR then LF, and nothing else is a control of the art.
        const bool crBefore = !positions.empty() && positions.back().ch == RichText::CR;
        if (!isCodePoint(ch) || (ch == RichText::LF) != crBefore) return fail("el archivo está dañado");
        positions.push_back({ch, colour});
    }
    if (!positions.empty() && positions.back().ch == RichText::CR) return fail("el archivo está dañado");
    out.art = RichText(std::move(positions), typing);
    return out;
}

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder)) {
    writer_.setMaxThreadCount(1); // one at a time, in the order asked
}

RecoveryStore::~RecoveryStore() {
    flush();
}

void RecoveryStore::flush() {
    writer_.waitForDone();
}

QString RecoveryStore::takeError() {
    const QMutexLocker locked(&mutex_);
    return std::exchange(error_, QString());
}

bool RecoveryStore::claim(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Held for as long as the window lives: only a dead owner makes a lock stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return false;
    lock_ = std::move(lock);
    path_ = path;
    return true;
}

Recovery RecoveryStore::takeOver(bool adopt) {
    QDir dir(folder_);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*") + QLatin1String(Suffix)}, QDir::Files, QDir::Time);
    Recovery recovery;
    for (const QFileInfo& info : files) {
        auto lock = std::make_unique<QLockFile>(info.filePath() + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) continue; // another editor's
        const Result<QByteArray> bytes = readWholeFile(info.filePath());
        Result<RecoveredArt> art = bytes ? decodeRecovery(*bytes) : bytes.failure();
        if (art) {
            if (adopt) {
                lock_ = std::move(lock);
                path_ = info.filePath();
            }
            recovery.found = std::move(*art);
            return recovery;
        }
        const QString aside = info.filePath() + QStringLiteral(".ilegible");
        QFile::remove(aside);
        QFile::rename(info.filePath(), aside);
        recovery.problem = QStringLiteral("No se pudo recuperar «%1» (%2); se guardó aparte como «%3».")
                               .arg(info.fileName(), art.why(), QFileInfo(aside).fileName());
    }
    return recovery;
}

Result<void> RecoveryStore::write(RichText art, const QString& file) {
    if (path_.isEmpty()) {
        if (!QDir().mkpath(folder_))
            return Failure{QStringLiteral("No se pudo crear la carpeta de recuperación «%1».").arg(folder_)};
        const QString stem =
            QStringLiteral("%1/%2-%3")
                .arg(folder_, QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-hhmmss-zzz"))
                .arg(QCoreApplication::applicationPid());
        // Two windows of one process can start in the same millisecond: a number sets them apart.
        bool claimed = claim(stem + QLatin1String(Suffix));
        for (int n = 2; !claimed && n < 100; ++n)
            claimed = claim(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(QLatin1String(Suffix)));
        if (!claimed)
            return Failure{
                QStringLiteral("No se pudo reservar un archivo de recuperación en «%1».").arg(folder_)};
    }
    writer_.start([this, path = path_, art = std::move(art), file] {
        const Result<void> written = writeFileAtomically(path, encodeRecovery(art, file));
        const QMutexLocker locked(&mutex_);
        error_ = written.why();
    });
    return {};
}

void RecoveryStore::discard() {
    if (!path_.isEmpty()) writer_.start([path = path_] { QFile::remove(path); });
}

} // namespace torvo
