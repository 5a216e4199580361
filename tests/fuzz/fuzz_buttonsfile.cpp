// Start-up repair of buttons.json from arbitrary bytes: whatever the file
// holds, the repair ends with a complete document, and nothing the user
// wrote is lost: members are kept, and a file that is not a JSON object is
// kept byte for byte in a backup before it is replaced.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/fuzz/fuzzing.h"
#include "tests/support/sandbox.h"

#include <QDir>
#include <QJsonObject>

#include <cstdio>
#include <cstdlib>

static QString folder;
static QString path;

static void fail(const char *what, const QByteArray &input)
{
    std::fprintf(stderr, "buttons.json repair: %s (input of %d bytes)\n", what, int(input.size()));
    std::abort();
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzing(argc, argv);
    folder = sandbox::home() + QStringLiteral("/.local/share/Zarvel");
    path = folder + QStringLiteral("/buttons.json");
    QDir().mkpath(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray input = fuzzInput(data, size);
    emptyFolder(folder);
    if (!sandbox::writeFile(path, input))
        fail("the input could not be written", input);

    QString backup;
    const ButtonsFileCheck check = ensureButtonsFile(path, &backup);
    const QByteArray after = sandbox::readFile(path);
    const QJsonDocument original = QJsonDocument::fromJson(input);
    const QJsonDocument repaired = QJsonDocument::fromJson(after);

    switch (check) {
    case ButtonsFileCheck::Untouched:
        if (after != input)
            fail("an untouched file changed", input);
        break;
    case ButtonsFileCheck::Completed: {
        if (!original.isObject())
            fail("a file that is not an object was completed", input);
        const QJsonObject before = original.object();
        const QJsonObject now = repaired.object();
        for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
            if (!it.value().isNull() && now.value(it.key()) != it.value())
                fail("completing lost or changed a member", input);
        }
        break;
    }
    case ButtonsFileCheck::ReplacedCorrupt:
        if (original.isObject())
            fail("a JSON object was replaced", input);
        if (input.trimmed().isEmpty() ? !backup.isEmpty() : sandbox::readFile(backup) != input)
            fail("the backup does not hold the replaced file", input);
        if (repaired.object() != defaultButtonsLevel())
            fail("the replacement is not the default document", input);
        break;
    default:
        fail("a readable, writable file was not repaired", input);
    }

    // Repaired means complete: every button is there, and a second start
    // leaves the file alone.
    if (!repaired.isObject())
        fail("the file does not hold an object afterwards", input);
    for (int i = 1; i <= buttonCount; ++i) {
        const QJsonValue button = repaired.object().value(buttonKey(i));
        if (button.isUndefined() || button.isNull())
            fail("a button is missing afterwards", input);
    }
    if (ensureButtonsFile(path) != ButtonsFileCheck::Untouched)
        fail("a repaired file was repaired again", input);
    return 0;
}
