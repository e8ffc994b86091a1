// Where the application keeps its own files: the per-user configuration folder of the maker
// and product, and creation of a folder with all its missing parents.
#pragma once

#include <string>

namespace my {

// "$XDG_CONFIG_HOME/Quenfell/Morvane/", or "$HOME/.config/Quenfell/Morvane/" when the variable
// is unset, empty or not absolute (as the XDG rules ask). Creates nothing.
std::string AppDataFolder();

// Creates `folder` and each missing parent; an existing folder is not an error. A failure
// raises IDS_FOLDER_CREATE_FAILED with the system's description and the folder that could not be
// made.
void CreateFolders(const std::string& folder);

} // namespace my
