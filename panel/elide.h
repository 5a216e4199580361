#pragma once

#include <QString>

// `text` as the user is shown it: at most `length` characters, a longer one
// with its start and its end and an ellipsis between, so that a path keeps
// both the folder it is in and its file name. Drawing a text someone pasted
// megabytes into would hold the panel for seconds; what is stored is never
// cut.
inline QString elideMiddle(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    const int end = (length - 1) / 2;
    return text.left(length - 1 - end) + QChar(0x2026) + text.right(end);
}
