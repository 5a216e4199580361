#pragma once

#include <string>

// The words of the command socket's protocol and the socket's file name in
// the user's runtime folder, free of Qt: the program's launcher speaks them
// too, before any Qt library is loaded.
inline constexpr char showWord[] = "show";
inline constexpr char shownWord[] = "shown";
inline constexpr char commandSocketFile[] = "zarvel.socket";

// What `Zarvel --show` says and exits with when the panel did not show: 1
// when no Zarvel runs, 2 when it answered why not, 3 when one runs (it
// holds its socket) but gives no answer within a few seconds.
inline constexpr char notRunningText[] = "Zarvel is not running.\n";
inline constexpr char notShownText[] = "Zarvel did not show its panel: %s\n";
inline constexpr char notAnsweringText[] = "Zarvel runs but does not answer.\n";
inline constexpr int notRunningExit = 1;
inline constexpr int notShownExit = 2;
inline constexpr int notAnsweringExit = 3;

// An answer as a terminal may print it: without control characters (C0,
// DEL, and C1 in UTF-8), which could move the cursor, retitle the window
// or worse.
inline std::string printableAnswer(const std::string &answer)
{
    std::string printable;
    for (size_t i = 0; i < answer.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(answer[i]);
        const unsigned char next = i + 1 < answer.size() ? static_cast<unsigned char>(answer[i + 1]) : 0;
        if (byte == 0xc2 && next >= 0x80 && next < 0xa0)
            ++i;
        else if (byte >= 0x20 && byte != 0x7f)
            printable += answer[i];
    }
    return printable;
}
