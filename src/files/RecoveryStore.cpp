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
    // FNV-1a: enough to tell a damaged file from a whole one.
    quint64 h = 14695981039346656037ull;
    for (char c : bytes) {
        h ^= quint8(c);
        h *= 1099511628211ull;
    }
    return h;
}

void put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
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
    QByteArray out;
    const QByteArray name = file.toUtf8();
    out.reserve(Magic.size() + name.size() + 16 + qsizetype(art.size()) * 8 + 8);
    out.append(Magic.data(), Magic.size());
    put32(out, quint32(name.size()));
    out.append(name);
    put32(out, art.typingColour().value());
    put32(out, quint32(art.size()));
    for (const RichText::Position& p : art.positions()) {
        put32(out, quint32(p.ch));
        put32(out, p.colour.value());
    }
    char sum[8];
    qToLittleEndian(checksum(out), sum);
    out.append(sum, 8);
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

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder)) {}

RecoveryStore::~RecoveryStore() = default;

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

Result<void> RecoveryStore::write(const RichText& art, const QString& file) {
    if (path_.isEmpty()) {
        if (!QDir().mkpath(folder_))
            return Failure{QStringLiteral("No se pudo crear la carpeta de recuperación «%1».").arg(folder_)};
        const QString stem =
            QStringLiteral("%1/%2-%3")
                .arg(folder_, QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-hhmmss-zzz"))
                .arg(QCoreApplication::applicationPid());
        if (!claim(stem + QLatin1String(Suffix)))
            return Failure{
                QStringLiteral("No se pudo reservar un archivo de recuperación en «%1».").arg(folder_)};
    }
    return writeFileAtomically(path_, encodeRecovery(art, file));
}

void RecoveryStore::discard() {
    if (!path_.isEmpty()) QFile::remove(path_);
}

} // namespace torvo
