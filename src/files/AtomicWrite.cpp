#include "files/AtomicWrite.h"

#include "base/FileMessages.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace torvo {

Result<void> writeFileAtomically(const QString& path, const QByteArray& data) {
    return writeFileAtomically(path, [&data](QIODevice& file) { return file.write(data) == data.size(); });
}

namespace {

// A file that keeps why a write failed: the writer may run on another thread, whose errno
// is not ours to read.
class Output : public QFile {
public:
    using QFile::QFile;
    int failure() const { return failure_ ? failure_ : EIO; }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        errno = 0;
        const qint64 n = QFile::writeData(data, length);
        if (n < length && errno) failure_ = errno;
        return n;
    }

private:
    int failure_ = 0;
};

// What a path names, for a write.
enum class Kind {
    File,       // a regular file the user may write, or none yet: replaced whole
    ReadOnly,   // a regular file the user may not write (or nobody may): left alone
    Folder,     // left alone
    Stream,     // a character device, FIFO or socket: written straight into
    Descriptor, // one of this process's open descriptors (/dev/stdout, /dev/fd/N)
    Other,      // a block device and the like: left alone
};

struct Destination {
    Kind kind;
    int descriptor = -1;
};

// The descriptor number a path ends with after `prefix`: one to six ASCII digits, or -1.
int descriptorNumber(QStringView path, QLatin1StringView prefix) {
    if (!path.startsWith(prefix)) return -1;
    const QStringView digits = path.sliced(prefix.size());
    if (digits.isEmpty() || digits.size() > 6) return -1;
    int n = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

// /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N name what this process has open:
// a pipe, a terminal, a socket or a file some other program reads. Written into, never
// replaced: a new file in place of it would reach nobody. Plain comparisons: a regular
// expression would cost a start-up its compilation.
int descriptorOf(const QString& path) {
    int fd = path == QLatin1StringView("/dev/stdout") ? 1
             : path == QLatin1StringView("/dev/stderr")
                 ? 2
                 : descriptorNumber(path, QLatin1StringView("/dev/fd/"));
    if (fd < 0) fd = descriptorNumber(path, QLatin1StringView("/proc/self/fd/"));
    if (fd < 0) return -1;
    return fcntl(fd, F_GETFD) == -1 ? -1 : fd;
}

Destination destinationOf(const QString& path) {
    if (const int fd = descriptorOf(path); fd >= 0) return {Kind::Descriptor, fd};
    struct stat st {};
    // A name that is not there yet (or a link to nothing) becomes a new file.
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {Kind::File};
    if (S_ISDIR(st.st_mode)) return {Kind::Folder};
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return {Kind::Stream};
    if (!S_ISREG(st.st_mode)) return {Kind::Other};
    // Read-only means read-only for everybody: a file nobody may write is not replaced even
    // by root, who may write anything.
    const bool writable = access(QFile::encodeName(path).constData(), W_OK) == 0 &&
                          (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return {writable ? Kind::File : Kind::ReadOnly};
}

Failure failed(const char* what, const QString& path, int code) {
    return Failure{
        QStringLiteral("%1 «%2»: %3").arg(QLatin1String(what), shownPath(path), systemError(code))};
}

// Opens what a stream path names for writing: a device or FIFO as a file, a socket by
// connecting to it. -1 with errno set when it cannot.
int openStream(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && S_ISSOCK(st.st_mode)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (std::size_t(native.size()) >= sizeof address.sun_path) {
            errno = ENAMETOOLONG;
            return -1;
        }
        std::memcpy(address.sun_path, native.constData(), std::size_t(native.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            const int code = errno;
            ::close(fd);
            errno = code;
            return -1;
        }
        return fd;
    }
    return ::open(native.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
}

// Writes into what is already there: the reader gets the bytes as they come.
Result<void> writeStraight(const QString& path, int fd, bool ours,
                           const std::function<bool(QIODevice&)>& write) {
    Output out;
    if (!out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                  ours ? QFileDevice::AutoCloseHandle : QFileDevice::DontCloseHandle)) {
        if (ours) ::close(fd);
        return failed("No se pudo escribir", path, EBADF);
    }
    if (!write(out) || !out.flush()) return failed("No se pudo escribir", path, out.failure());
    return {};
}

// A new file beside the old one, given every byte, then put in its place: a failure on the
// way leaves the old file as it was.
Result<void> replace(const QString& path, const std::function<bool(QIODevice&)>& write,
                     Durability durability) {
    const QFileInfo link(path);
    const QString target = link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();
    const QFileInfo old(target);
    Output file;
    int code = 0;
    for (int tries = 0; tries < 16 && !file.isOpen(); ++tries) {
        file.setFileName(target + QStringLiteral(".%1~").arg(uint(QRandomGenerator::global()->generate()), 8,
                                                             16, QLatin1Char('0')));
        errno = 0;
        // A name that is taken is tried again; anything else is a failure.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !file.exists()) {
            code = errno ? errno : EACCES;
            break;
        }
    }
    if (!file.isOpen()) return failed("No se pudo crear", path, code ? code : EEXIST);
    if (old.exists()) file.setPermissions(old.permissions());
    bool ok = write(file) && file.flush();
    code = ok ? 0 : file.failure();
    if (ok && durability == Durability::OnDisk && ::fsync(file.handle()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        file.remove();
        return failed("No se pudo escribir", path, code);
    }
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) !=
        0) {
        code = errno;
        file.remove();
        return failed("No se pudo guardar", path, code);
    }
    return {};
}

} // namespace

Result<void> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                                 Durability durability) {
    const Destination to = destinationOf(path);
    switch (to.kind) {
    case Kind::File:
        return replace(path, write, durability);
    case Kind::ReadOnly:
        return Failure{QStringLiteral("No se puede escribir «%1»: solo lectura.").arg(path)};
    case Kind::Folder:
        return Failure{QStringLiteral("No se puede escribir «%1»: es una carpeta.").arg(shownPath(path))};
    case Kind::Other:
        return Failure{QStringLiteral("No se puede escribir «%1»: no es un archivo.").arg(shownPath(path))};
    case Kind::Descriptor:
        return writeStraight(path, to.descriptor, false, write);
    case Kind::Stream: {
        const int fd = openStream(path);
        if (fd < 0) return failed("No se pudo abrir", path, errno);
        return writeStraight(path, fd, true, write);
    }
    }
    return {};
}

Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes) {
    QFileInfo info(path);
    if (info.isDir()) return failed("No se pudo abrir", path, EISDIR);
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) return failed("No se pudo abrir", path, errno ? errno : EACCES);
    if (file.size() > maxBytes)
        return Failure{QStringLiteral("«%1» es demasiado grande para abrirlo (%2 MB).")
                           .arg(shownPath(path))
                           .arg(file.size() >> 20)};
    errno = 0;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) return failed("No se pudo leer", path, errno ? errno : EIO);
    return data;
}

} // namespace torvo
