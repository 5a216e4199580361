#pragma once

// The words of the command socket's protocol and the socket's file name in
// the user's runtime folder, free of Qt: the program's launcher speaks them
// too, before any Qt library is loaded.
inline constexpr char showWord[] = "show";
inline constexpr char shownWord[] = "shown";
inline constexpr char commandSocketFile[] = "zarvel.socket";
