#pragma once
// Where the time of a search goes: its chunk requests alone, and its list rows alone, both on the window thread.
#include <string>

// Prints the time of the note's chunk requests made one after another through the tool's own GET, and of adding
// as many rows as the search lists to the window's list (drawing held off, as the search does). The list is left
// empty. Call with the main window built.
void RunSearchBreakdown(int port, const std::string& noteId, int chunks, int rows);
