// Where the application keeps its own files: the per-user configuration folder of the maker
// and product, creation of a folder with all its missing parents, and the files the program
// ships with (help pages, icons), found beside an installed program or in its source tree.
#pragma once

#include <string>
#include <string_view>

namespace my {

// "$XDG_CONFIG_HOME/Quenfell/Morvane/", or "$HOME/.config/Quenfell/Morvane/" when the variable
// is unset, empty or not absolute (as the XDG rules ask). Creates nothing.
std::string AppDataFolder();

// Creates `folder` and each missing parent; an existing folder is not an error. A failure
// raises IDS_FOLDER_CREATE_FAILED with the system's description and the folder that could not be
// made.
void CreateFolders(const std::string& folder);

// The path of the running program (/proc/self/exe); empty when the system does not say.
std::string ProgramPath();

// The installation prefix of a program: the folder above the one that holds it ("/usr" for
// "/usr/bin/morvane", "<tree>/build" for "<tree>/build/bin/morvane"). Empty for an empty path.
std::string ProgramPrefix(const std::string& program);

// A help page the program ships with, by its path in the source tree ("docs/user-guide.md"):
// first below <prefix>/share/morvane/ of an installed program, then in the source tree it was
// built in (up to four folders above the program). The absolute path of the first regular
// file found; empty when there is none.
std::string FindHelpPage(std::string_view page, const std::string& program = ProgramPath());

} // namespace my
