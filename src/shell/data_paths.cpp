#include "shell/data_paths.h"

#include <ini.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {
constexpr const char* kArchive = "brookfield.core";

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// user-dirs.dirs holds shell assignments: XDG_PICTURES_DIR="$HOME/Pictures".
int OnUserDir(void* user, const char*, const char* name, const char* value) {
  if (std::strcmp(name, "XDG_PICTURES_DIR")) return 1;
  std::string v = value;
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  const char* home = std::getenv("HOME");
  if (v.rfind("$HOME", 0) == 0) v = std::string(home ? home : "") + v.substr(5);
  *static_cast<std::string*>(user) = v;
  return 1;
}
}  // namespace

std::vector<std::string> DataFolders(const std::string& option,
                                     const std::string& executableFolder) {
  std::vector<std::string> folders;
  if (!option.empty()) folders.push_back(WithSlash(option));
  if (!executableFolder.empty()) {
    folders.push_back(WithSlash(executableFolder));
    folders.push_back(WithSlash(executableFolder) + "../share/quietharbour/");
  }
  folders.push_back("");
  return folders;
}

std::string FindDataFolder(const std::vector<std::string>& folders, std::string* searched) {
  searched->clear();
  for (const std::string& folder : folders) {
    *searched +=
        (searched->empty() ? "" : ", ") + (folder.empty() ? "the working directory" : folder);
    std::error_code error;
    if (std::filesystem::is_regular_file(folder + kArchive, error)) return folder;
  }
  return "";
}

std::string PicturesFolder() {
  const char* env = std::getenv("XDG_PICTURES_DIR");
  if (env && IsFolder(env)) return WithSlash(env);
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string dirs;
  if (config && config[0] == '/')
    dirs = std::string(config) + "/user-dirs.dirs";
  else if (home && *home)
    dirs = std::string(home) + "/.config/user-dirs.dirs";
  std::string pictures;
  if (!dirs.empty()) ini_parse(dirs.c_str(), OnUserDir, &pictures);
  return IsFolder(pictures) ? WithSlash(pictures) : "";
}

std::string NextScreenshotPath(const std::string& folder) {
  char name[64];
  for (int i = 1;; ++i) {
    std::snprintf(name, sizeof name, "quietharbour-%04d.png", i);
    std::error_code error;
    if (!std::filesystem::exists(folder + name, error) || i >= 9999) return folder + name;
  }
}
