// A shared library opened the first time it is needed and never closed (threads it started may
// outlive what used it), its functions found by name.
#pragma once

#include <dlfcn.h>

#include <type_traits>

namespace pellum::midi {

// Opens `soname` and fills `functions`: `findAll(find)` calls `find("name", functions.name)`
// for each function and says whether every one was found. Null when the library or one of its
// functions is missing.
template <typename Functions, typename FindAll>
const Functions* loadLibrary(const char* soname, Functions& functions, FindAll findAll) {
    void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    const auto find = [library](const char* name, auto& function) {
        using Pointer = std::remove_reference_t<decltype(function)>;
        function = reinterpret_cast<Pointer>(::dlsym(library, name));
        return function != nullptr;
    };
    return findAll(find) ? &functions : nullptr;
}

}  // namespace pellum::midi
