#include "host/library_beside.h"

#include <unistd.h>

namespace kiv::host {

std::string LibraryBesideExecutable(std::string_view fileName) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string dir = ".";
  if (length > 0) {
    const std::string exe(path, static_cast<size_t>(length));
    dir = exe.substr(0, exe.find_last_of('/'));
  }
  return dir + "/" + std::string(fileName);
}

}  // namespace kiv::host
