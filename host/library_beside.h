// library_beside.h: where the host's programs look for the plugin library
// when none is named: beside the running executable, as the build lays both
// out.
//
//   std::string library = LibraryBesideExecutable("libvmk-be-kiv-joust.so");
#pragma once

#include <string>
#include <string_view>

namespace kiv::host {

/// The path of `fileName` in the running executable's folder ("./fileName"
/// when that folder cannot be found).
std::string LibraryBesideExecutable(std::string_view fileName);

}  // namespace kiv::host
