#include "platform/environment.h"

#include <QHash>

#ifdef Q_OS_UNIX
extern char **environ;
#endif

namespace {
// What each variable set for this process alone held before: null for unset.
QHash<QByteArray, QByteArray> &given()
{
    static QHash<QByteArray, QByteArray> variables;
    return variables;
}
} // namespace

void setOwnVariable(const char *name, const QByteArray &value)
{
    if (!given().contains(name))
        given().insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    qputenv(name, value);
}

QProcessEnvironment givenEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = given().cbegin(); it != given().cend(); ++it) {
        const QString name = QString::fromLatin1(it.key());
        if (it.value().isNull())
            environment.remove(name);
        else
            environment.insert(name, QString::fromLocal8Bit(it.value()));
    }
    return environment;
}

#ifdef Q_OS_UNIX
QList<QByteArray> givenEnvironmentEntries()
{
    QList<QByteArray> entries;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArray text(*entry);
        if (!given().contains(text.left(text.indexOf('='))))
            entries.append(text);
    }
    for (auto it = given().cbegin(); it != given().cend(); ++it)
        if (!it.value().isNull())
            entries.append(it.key() + '=' + it.value());
    return entries;
}
#endif
