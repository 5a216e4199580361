#include "platform/regularfile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

bool readRegularFile(const QString &file, qint64 limit, QByteArray *bytes, bool *tooLarge)
{
    bytes->clear();
    if (tooLarge)
        *tooLarge = false;
#ifdef Q_OS_UNIX
    // Opened without waiting for a writer, and checked on the descriptor.
    if (!file.startsWith(QLatin1Char(':'))) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return false;
        struct stat info;
        const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
        if (tooLarge)
            *tooLarge = regular && info.st_size > limit;
        bool read = regular && info.st_size <= limit;
        if (read)
            bytes->resize(int(info.st_size));
        for (int done = 0; read && done < bytes->size();) {
            const ssize_t got = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
            if (got == 0)
                bytes->resize(done); // it shrank meanwhile
            read = got >= 0 || errno == EINTR;
            done += int(qMax<ssize_t>(got, 0));
        }
        ::close(fd);
        if (!read)
            bytes->clear();
        return read;
    }
#endif
    // Qt's resources are in memory; Windows names no pipe in its folders.
    QFile in(file);
    if (!QFileInfo(file).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    if (in.size() > limit) {
        if (tooLarge)
            *tooLarge = true;
        return false;
    }
    // The size it has: a buffer of `limit` bytes would be made first, and
    // kept while the bytes are.
    *bytes = in.read(in.size());
    return true;
}
