#pragma once
// LinkModule: loads the link module (libSerKtvDL.so, SerKtvDL.dll on Windows),
// resolves its two exports and owns the link object it creates. Destroying
// the LinkModule hands the link back to the module (through
// "_DestroyClassInstance" when the module has it) and unloads the module.
//
// Used by the program's start-up and by lumexctl, from one thread (the one
// that then calls the link). No Qt: the command line links it too.
//
//   std::string error;
//   auto module = lumex::LinkModule::Load(folder, error);   // "" = beside the executable
//   if (!module) { show error; stop; }
//   lumex::EcuLink* link = module->Link();

#include "EcuLink.h"

#include <memory>
#include <string>

namespace lumex {

class LinkModule {
public:
    // The module's file name on this system: "libSerKtvDL.so" or "SerKtvDL.dll".
    static std::string ModuleFileName();
    // The folder of the running executable, without a trailing separator;
    // empty when the system cannot tell.
    static std::string ExecutableFolder();

    // Loads ModuleFileName() from folder (empty: ExecutableFolder()) and
    // creates the link. On failure returns nullptr and sets error to the
    // system's own text for the load failure, or to a message naming the
    // missing export.
    static std::unique_ptr<LinkModule> Load(std::string folder, std::string& error);
    // The same for a module given by its full path (tests load stand-ins).
    static std::unique_ptr<LinkModule> LoadFile(const std::string& path, std::string& error);

    ~LinkModule();
    LinkModule(const LinkModule&) = delete;
    LinkModule& operator=(const LinkModule&) = delete;

    // The link object; lives as long as this LinkModule.
    EcuLink* Link() const { return m_link; }
    const std::string& Path() const { return m_path; }
    // False when the module has no "_DestroyClassInstance": the link is then
    // left to the module's own unloading.
    bool CanDestroyLink() const { return m_destroy != nullptr; }

private:
    using DestroyFn = void (*)(EcuLink*);
    LinkModule(void* handle, EcuLink* link, DestroyFn destroy, std::string path);

    void* m_handle = nullptr;
    EcuLink* m_link = nullptr;
    DestroyFn m_destroy = nullptr;
    std::string m_path;
};

}  // namespace lumex
