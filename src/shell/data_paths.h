// Where the program finds its data and puts its screenshots.
#pragma once
#include <string>
#include <vector>

// The folders searched for brookfield.core, in order: `option` (--data)
// when given, the executable's folder, where an install puts the data
// (<prefix>/share/quietharbour beside <prefix>/bin), the working directory
// (""). Each but the last ends in '/'.
std::vector<std::string> DataFolders(const std::string& option,
                                     const std::string& executableFolder);

// The first of `folders` holding brookfield.core; the working directory
// ("") when none does. *searched lists them for the message that the
// archive is missing ("the working directory" for "").
std::string FindDataFolder(const std::vector<std::string>& folders, std::string* searched);

// $XDG_PICTURES_DIR, else the XDG_PICTURES_DIR line of the user-dirs.dirs
// file in $XDG_CONFIG_HOME (or ~/.config), when that folder exists; else
// the working directory (""). Ends in '/' unless empty.
std::string PicturesFolder();

// The first "quietharbour-NNNN.png" (NNNN from 0001) not yet in `folder`.
std::string NextScreenshotPath(const std::string& folder);
