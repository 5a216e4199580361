#pragma once

#include <QByteArray>
#include <QString>

// At most `limit` bytes of the regular file `file` (or of a Qt resource),
// read without ever blocking: a pipe or a device, or a link to one, is
// never read, even one swapped in between a check by name and the open.
// False, with nothing read, for anything else, and for a larger file, which
// `tooLarge` then tells.
bool readRegularFile(const QString &file, qint64 limit, QByteArray *bytes, bool *tooLarge = nullptr);
