// Where the show finds its data set: --data DIR, or the first of ./data, data beside the program
// and the installed data directory that holds any file of the set.
#pragma once
#include <cstdio>
#include <string>

// Chooses the data directory for every later file open; when no place holds the data set, writes
// one line naming the places looked in to report and goes on (each file is then reported missing).
// given: the --data directory, or empty. Returns whether a data set was found.
bool chooseDataDirectory(const std::string& given, std::FILE* report);
