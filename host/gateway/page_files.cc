#include "host/gateway/page_files.h"

namespace kiv::host::gateway {

const PageFile* FindPageFile(std::string_view path) {
  for (const PageFile& file : PageFiles()) {
    if (file.path == path) return &file;
  }
  return nullptr;
}

}  // namespace kiv::host::gateway
