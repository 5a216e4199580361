// The start-up repair of buttons.json from arbitrary bytes. It ends with a complete document that the next start
// leaves alone, and loses nothing: every member survives, or the file is kept byte for byte in a backup first.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/fuzz/fuzzing.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    return startFuzzing(argc, argv);
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QString path = buttonsFilePath();
    if (!QDir(QFileInfo(path).absolutePath()).removeRecursively() || !sandbox::writeFile(path, input))
        fuzzFailure("repair: the input could not be written");
    QString backup;
    const ButtonsFileCheck check = ensureButtonsFile(path, &backup);
    const QByteArray after = sandbox::readFile(path);
    const QJsonDocument original = QJsonDocument::fromJson(input);
    const QJsonObject members = original.object(), repaired = QJsonDocument::fromJson(after).object();
    if ((check == ButtonsFileCheck::Untouched && after != input)
        || (check == ButtonsFileCheck::ReplacedCorrupt) == original.isObject())
        fuzzFailure("repair: a file was changed that should not be, or kept that should not be");
    for (auto it = members.begin(); it != members.end(); ++it)
        if (!it.value().isNull() && repaired.value(it.key()) != it.value())
            fuzzFailure("repair: a member was lost or changed");
    if (check == ButtonsFileCheck::ReplacedCorrupt
        && (input.trimmed().isEmpty() ? !backup.isEmpty() : sandbox::readFile(backup) != input))
        fuzzFailure("repair: the backup does not hold the replaced file");
    for (int i = 1; i <= buttonCount; ++i)
        if (repaired.value(buttonKey(i)).isUndefined() || repaired.value(buttonKey(i)).isNull())
            fuzzFailure("repair: a button is missing afterwards");
    if (ensureButtonsFile(path) != ButtonsFileCheck::Untouched)
        fuzzFailure("repair: the next start repaired the file again");
    return 0;
}
