// The picture reader over arbitrary files (written as "picture", which an SVG may name): nothing crashes, no input makes
// this process hold 64 MB more at its peak, and the picture is never larger than asked.
#include "app/picture.h"
#include "tests/fuzz/fuzzing.h"

static qint64 peakKb(const char *field)
{
    const QByteArray status = sandbox::readFile("/proc/self/status");
    return status.mid(status.indexOf(field) + int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString file = sandbox::root() + "/picture";
    if (!sandbox::writeFile(file, QByteArray(reinterpret_cast<const char *>(data), int(size)))
        || !sandbox::writeFile("/proc/self/clear_refs", "5"))
        qFatal("picture: no file to read");
    const qint64 before = peakKb("VmRSS:");
    const QSize drawn(30, 30);
    const QImage picture = readPicture(file, drawn);
    if (picture.width() > drawn.width() || picture.height() > drawn.height())
        qFatal("picture: larger than asked");
    if (peakKb("VmHWM:") - before > 64 << 10)
        qFatal("picture: over 64 MB more at the peak");
    return 0;
}
