// Where the auto-demo script named on the command line is.
#pragma once

#include <cstddef>
#include <string>

// An absolute path (one starting with '\' or '/') stands as it is. A relative name is
// looked for beside the program, then in the current folder, where a user who starts
// the player from a terminal keeps their own scripts; found in neither, it stands for
// the one beside the program. The path goes into path in the layer's form; false, with
// path emptied, when the name is empty or no place's full path fits size.
bool FindDemoScript(const char* name, char* path, std::size_t size);

bool IsAbsolutePath(const char* name);

// The current folder in the layer's form ("" when it cannot be told).
std::string CurrentFolder();
