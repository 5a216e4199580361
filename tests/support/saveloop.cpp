// saveloop <target> <first.json> <second.json> <progress>: saves the two
// documents over <target> in turn, for ever, with the program's own writer.
// It says "saving" once it begins, so that whoever kills it knows the saves
// run, and keeps the first byte of <progress> at '1' while inside a save and
// '0' between saves, so that they can tell where the kill landed.
#include "buttons/buttonsfile.h"
#include "buttons/document.h"

#include <QFile>
#include <QJsonDocument>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc != 5)
        return 2;
    const QString target = QFile::decodeName(argv[1]);
    QJsonDocument documents[2];
    for (int i = 0; i < 2; ++i) {
        QFile file(QFile::decodeName(argv[2 + i]));
        if (!file.open(QIODevice::ReadOnly) || (documents[i] = QJsonDocument::fromJson(file.readAll())).isNull())
            return 2;
    }
    const int progress = open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (progress < 0)
        return 2;
    std::puts("saving");
    std::fflush(stdout);
    for (unsigned n = 0;; ++n) {
        if (pwrite(progress, "1", 1, 0) != 1)
            return 2;
        if (!writeButtonsDocument(target, documents[n % 2].object())) {
            std::fprintf(stderr, "saveloop: save %u failed\n", n);
            return 1;
        }
        if (pwrite(progress, "0", 1, 0) != 1)
            return 2;
    }
}
