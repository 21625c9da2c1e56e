// page_files.h: the tournament page's files (web/ in the source tree),
// embedded in the program at build time so that the gateway serves the page
// from a fresh build with nothing installed beside it.
//
// Not for: anything the plugin answers; these are static bytes.
//
//   if (const PageFile* file = FindPageFile("index.html")) Send(file->contentType, file->bytes);
#pragma once

#include <span>
#include <string_view>

namespace kiv::host::gateway {

struct PageFile {
  std::string_view path;  // relative to web/, e.g. "index.html", "js/bracket.js"
  std::string_view contentType;
  std::string_view bytes;
};

/// Every embedded file, in the order the build listed them.
std::span<const PageFile> PageFiles();

/// The file at `path` (relative, without a leading slash); null when none.
const PageFile* FindPageFile(std::string_view path);

}  // namespace kiv::host::gateway
