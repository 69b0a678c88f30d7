#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/env.h"
#include "platform/known_folders.h"

namespace nv {
namespace {

std::string Canonical(const std::string& path) {
  if (path.empty()) return path;
  std::string resolved = Env::Default()->LongForm(path);
  return resolved.empty() ? path : resolved;
}

// Value of KEY="..." in user-dirs.dirs, with $HOME expanded; empty when absent.
std::string UserDir(const std::string& text, const std::string& key, const std::string& home) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(key + "=", 0) != 0) continue;
    std::string value = line.substr(key.size() + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value.replace(0, 5, home);
    if (value.empty() || value[0] != '/') return "";
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
  }
  return "";
}

std::string HomeFolder(const GetVariable& variable) {
  std::string home = variable("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = ::getpwuid(::getuid())) return pw->pw_dir ? pw->pw_dir : "";
  return "";
}

}  // namespace

SpecialFolders LookUpSpecialFolders(const GetVariable& variable, const std::string& userDirsText,
                                    const std::string& executablePath) {
  SpecialFolders f;
  std::string home = HomeFolder(variable);
  f.systemDriveRoot = "/";
  for (const char* dir : {"/usr", "/etc", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                          "/boot", "/dev", "/proc", "/sys", "/run", "/var"})
    f.systemFolders.push_back(dir);
  f.programFiles = "/opt";
  f.programFilesX86 = "/opt";
  std::string dataHome = variable("XDG_DATA_HOME");
  if (dataHome.empty() || dataHome[0] != '/') dataHome = home.empty() ? "" : home + "/.local/share";
  f.localAppData = Canonical(dataHome);
  std::string desktop = UserDir(userDirsText, "XDG_DESKTOP_DIR", home);
  std::string documents = UserDir(userDirsText, "XDG_DOCUMENTS_DIR", home);
  if (desktop.empty() && !home.empty()) desktop = home + "/Desktop";
  if (documents.empty() && !home.empty()) documents = home + "/Documents";
  // A user folder set to the home folder itself means "none"; it must not open
  // the whole home folder to the lists.
  if (desktop == home) desktop.clear();
  if (documents == home) documents.clear();
  f.desktop = Canonical(desktop);
  f.documents = Canonical(documents);
  f.profilesRoots = {"/home", "/root"};
  f.programFolder = Canonical(ParentPath(executablePath));
  return f;
}

const SpecialFolders& GetSpecialFolders() {
  static const SpecialFolders folders = [] {
    GetVariable variable = [](const std::string& name) {
      const char* value = std::getenv(name.c_str());
      return std::string(value ? value : "");
    };
    std::string home = HomeFolder(variable);
    std::string configHome = variable("XDG_CONFIG_HOME");
    if (configHome.empty()) configHome = home + "/.config";
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::stringstream text;
    text << in.rdbuf();
    std::string exe = Env::Default()->LongForm("/proc/self/exe");
    return LookUpSpecialFolders(variable, text.str(), exe);
  }();
  return folders;
}

}  // namespace nv
