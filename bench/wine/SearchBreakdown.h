#pragma once
// Where the time of a search goes: its chunk requests alone, and its list rows alone, both on the window thread.
#include <string>

struct SearchBreakdown {
    double chunkRequests = 0;  // seconds
    int failedRequests = 0;
    double listRows = 0;  // seconds
    double checkAll = 0;  // seconds
};

// Times the note's chunk requests made one after another through the tool's own GET, adding as many rows as the
// search lists to the window's list the way the search adds them (drawing held off), and checking them all. The list
// is left empty.
// Call with the main window built.
SearchBreakdown RunSearchBreakdown(int port, const std::string& noteId, int chunks, int rows);
