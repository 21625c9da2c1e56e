// Linked into every plugin library. The C++ runtime is linked into the
// library, so its emergency exception pool is the library's too: give it back
// when the host unloads the library, or every load and unload cycle would
// leak it.
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace {

__attribute__((destructor)) void ReleaseRuntimeOnUnload() { __gnu_cxx::__freeres(); }

}  // namespace
