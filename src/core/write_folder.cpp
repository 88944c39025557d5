#include "core/write_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

std::string g_writeFolder;

namespace {
// mkdir -p: true when `path` is a folder afterwards.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1))
    mkdir(path.substr(0, slash).c_str(), 0700);
  struct stat st;
  return (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && stat(path.c_str(), &st) == 0 &&
         S_ISDIR(st.st_mode);
}
}  // namespace

std::string ChooseWriteFolder() {
  if (access(".", W_OK) == 0) return "";
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  std::string base;
  if (state && state[0] == '/')
    base = state;
  else if (home && home[0] == '/')
    base = std::string(home) + "/.local/state";
  else
    return "";
  const std::string folder = base + "/quietharbour";
  if (!MakeFolders(folder) || access(folder.c_str(), W_OK) != 0) return "";
  return folder + "/";
}
