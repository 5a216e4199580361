// The start-up repair of buttons.json from arbitrary bytes. It ends with a complete document that the next start leaves
// alone, and loses nothing: every member survives, or the file is kept byte for byte in a backup first.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/fuzz/fuzzing.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QString path = buttonsFilePath();
    QDir(QFileInfo(path).absolutePath()).removeRecursively(), sandbox::writeFile(path, input); // checked below
    QString backup;
    const ButtonsFileCheck check = ensureButtonsFile(path, &backup);
    const QByteArray after = sandbox::readFile(path);
    const QJsonDocument original = QJsonDocument::fromJson(input);
    const QJsonObject members = original.object(), repaired = QJsonDocument::fromJson(after).object();
    // Compared as variants: a QJsonObject whose keys hold a NUL keeps them in an order that only parsing decides, and
    // its == compares in that order.
    for (auto it = members.begin(); it != members.end(); ++it)
        if (!it.value().isNull() && repaired.value(it.key()).toVariant() != it.value().toVariant())
            qFatal("repair: a member was lost or changed");
    for (int i = 1; i <= buttonCount; ++i)
        if (!repaired.contains(buttonKey(i)) || repaired.value(buttonKey(i)).isNull())
            qFatal("repair: a button is missing afterwards");
    if ((check == ButtonsFileCheck::Untouched && after != input)
        || (check == ButtonsFileCheck::ReplacedCorrupt) == original.isObject()
        || (check == ButtonsFileCheck::ReplacedCorrupt
            && (input.trimmed().isEmpty() ? !backup.isEmpty() : sandbox::readFile(backup) != input))
        || ensureButtonsFile(path) != ButtonsFileCheck::Untouched)
        qFatal("repair: a file was changed or kept wrongly, its backup is wrong, or the next start repaired it again");
    return 0;
}
