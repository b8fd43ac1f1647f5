#include "LinkModule.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <utility>

namespace lumex {

namespace {

constexpr const char* kCreateExport = "_CreateClassInstance";
constexpr const char* kDestroyExport = "_DestroyClassInstance";

using CreateFn = EcuLink* (*)();

#ifdef _WIN32
constexpr char kSeparator = '\\';

std::string LastSystemError() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return message;
}

void* OpenLibrary(const std::string& path) { return LoadLibraryA(path.c_str()); }
void CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
void* FindSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
#else
constexpr char kSeparator = '/';

std::string LastSystemError() {
    const char* text = dlerror();
    return text ? text : "unknown dynamic loader error";
}

// RTLD_LOCAL keeps the module's own copy of the core out of the program's
// symbol namespace.
void* OpenLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void CloseLibrary(void* handle) { dlclose(handle); }
void* FindSymbol(void* handle, const char* name) { return dlsym(handle, name); }
#endif

}  // namespace

std::string LinkModule::ModuleFileName() {
#ifdef _WIN32
    return "SerKtvDL.dll";
#else
    return "libSerKtvDL.so";
#endif
}

std::string LinkModule::ExecutableFolder() {
    // The program may be installed under a path of any length: grow the
    // buffer until the whole path fits instead of giving up at a fixed size.
    constexpr std::size_t kLongestPath = 1 << 16;
    std::string path;
    for (std::size_t size = 256; path.empty(); size *= 2) {
        if (size > kLongestPath) return {};
        std::string buffer(size, '\0');
#ifdef _WIN32
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(size));
        if (length == 0) return {};
#else
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), size);
        if (length <= 0) return {};
#endif
        // A result that fills the whole buffer may have been cut short.
        if (static_cast<std::size_t>(length) < size) path = buffer.substr(0, static_cast<std::size_t>(length));
    }

    const auto slash = path.find_last_of(kSeparator);
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

std::unique_ptr<LinkModule> LinkModule::Load(std::string folder, std::string& error) {
    if (folder.empty()) folder = ExecutableFolder();
    std::string path = ModuleFileName();
    if (!folder.empty()) {
        if (folder.back() != kSeparator && folder.back() != '/') folder += kSeparator;
        path = folder + path;
    }
    return LoadFile(path, error);
}

std::unique_ptr<LinkModule> LinkModule::LoadFile(const std::string& path, std::string& error) {
    void* handle = OpenLibrary(path);
    if (!handle) {
        error = LastSystemError();
        return nullptr;
    }
    auto create = reinterpret_cast<CreateFn>(FindSymbol(handle, kCreateExport));
    if (!create) {
        error = "The link module " + path + " has no \"" + kCreateExport +
                "\" export: it is not a link module or it is damaged.";
        CloseLibrary(handle);
        return nullptr;
    }
    auto destroy = reinterpret_cast<DestroyFn>(FindSymbol(handle, kDestroyExport));
    EcuLink* link = create();
    if (!link) {
        error = "The link module " + path + " could not create its link object.";
        CloseLibrary(handle);
        return nullptr;
    }
    error.clear();
    return std::unique_ptr<LinkModule>(new LinkModule(handle, link, destroy, path));
}

LinkModule::LinkModule(void* handle, EcuLink* link, DestroyFn destroy, std::string path)
    : m_handle(handle), m_link(link), m_destroy(destroy), m_path(std::move(path)) {}

LinkModule::~LinkModule() {
    if (m_destroy) m_destroy(m_link);
    CloseLibrary(m_handle);
}

}  // namespace lumex
