// main() where libFuzzer is not linked: runs the target once on every file in the folders named, in name order. So
// ctest replays each target's corpus in every build, the same way each time.
#include "tests/support/sandbox.h"

#include <QDir>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size);

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (int i = 1; i < argc; ++i)
        for (const QFileInfo &info : QDir(QFile::decodeName(argv[i])).entryInfoList(QDir::Files, QDir::Name)) {
            const QByteArray input = sandbox::readFile(info.filePath());
            std::fprintf(stderr, "%s\n", qUtf8Printable(info.fileName()));
            LLVMFuzzerTestOneInput(reinterpret_cast<const unsigned char *>(input.constData()), size_t(input.size()));
            ++inputs;
        }
    // An empty or missing corpus would pass while proving nothing.
    return inputs > 0 ? 0 : 1;
}
