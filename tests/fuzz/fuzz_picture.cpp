// The picture reader over arbitrary files (written as "picture", which an SVG may name): nothing crashes, and the
// picture is never larger than asked. tests/fuzz/search fails it on an allocation over 64 MB, the most a picture takes.
#include "app/picture.h"
#include "tests/fuzz/fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString file = sandbox::root() + "/picture";
    const bool written = sandbox::writeFile(file, QByteArray(reinterpret_cast<const char *>(data), int(size)));
    const QImage picture = readPicture(file, QSize(30, 30));
    if (!written || picture.width() > 30 || picture.height() > 30)
        qFatal("picture: no file to read, or a picture larger than asked");
    return 0;
}
