// Well-known folders of the user and the system, as the protected-path guard
// and the data-file locations need them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace nv {

struct SpecialFolders {
  std::string systemDriveRoot;             // "/"
  std::vector<std::string> systemFolders;  // /usr, /etc, ...: no item may lie in them
  std::string programFiles;                // /opt
  std::string programFilesX86;             // /opt
  std::string localAppData;                // $XDG_DATA_HOME or ~/.local/share
  std::string desktop;                     // XDG desktop folder
  std::string documents;                   // XDG documents folder
  std::vector<std::string> profilesRoots;  // /home and /root
  std::string programFolder;               // folder of the running executable
};

// Reads a variable of the environment; empty when unset.
using GetVariable = std::function<std::string(const std::string& name)>;

// Computes the folders from the given environment, the text of
// ~/.config/user-dirs.dirs (may be empty) and the executable's path. Existing
// folders are given in canonical form; missing ones keep the computed path.
SpecialFolders LookUpSpecialFolders(const GetVariable& variable, const std::string& userDirsText,
                                    const std::string& executablePath);

// The folders of this process, looked up on first use and kept.
const SpecialFolders& GetSpecialFolders();

}  // namespace nv
