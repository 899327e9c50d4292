// Loading the imaging library family by name and resolving its entries.
#include "viewer_common/imaging_dlls/imaging_dlls.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace imaging_dlls {
namespace {

constexpr const char* kLibraryFiles[MV7_LIB_COUNT] = {MV7_LIBRARY_FILES};

// Plain data only, so the state is ready before any constructor runs.
Table g_table;
void* g_libraries[MV7_LIB_COUNT] = {};
char g_bound_folder[PATH_MAX] = {};

// A symbol of this module for dladdr.
void Anchor() {}

struct MainProgramSearch {
  uintptr_t address = 0;
  bool in_main = false;
};

// True when `address` lies in the main program rather than a shared object;
// dladdr then names the program as it was started, which may be relative.
bool InMainProgram(uintptr_t address) {
  MainProgramSearch search{address, false};
  dl_iterate_phdr(
      [](struct dl_phdr_info* info, size_t, void* data) -> int {
        auto* s = static_cast<MainProgramSearch*>(data);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& ph = info->dlpi_phdr[i];
          if (ph.p_type != PT_LOAD) continue;
          const uintptr_t start = info->dlpi_addr + ph.p_vaddr;
          if (s->address >= start && s->address < start + ph.p_memsz) {
            s->in_main = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
            return 1;
          }
        }
        return 0;
      },
      &search);
  return search.in_main;
}

std::string ModulePath() {
  const auto address = reinterpret_cast<uintptr_t>(&Anchor);
  Dl_info info{};
  char resolved[PATH_MAX];
  if (!InMainProgram(address) && dladdr(reinterpret_cast<void*>(address), &info) != 0 && info.dli_fname != nullptr &&
      info.dli_fname[0] != '\0' && realpath(info.dli_fname, resolved) != nullptr)
    return resolved;
  const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
  if (n <= 0) return {};
  resolved[n] = '\0';
  return resolved;
}

void ResolveEntries() {
#define IMAGING_DLLS_RESOLVE(lib, entry)                                                       \
  g_table.entry = g_libraries[lib] != nullptr                                                  \
                      ? reinterpret_cast<decltype(g_table.entry)>(dlsym(g_libraries[lib], #entry)) \
                      : nullptr;
  MV7_EXPORTS(IMAGING_DLLS_RESOLVE)
#undef IMAGING_DLLS_RESOLVE
}

__attribute__((constructor)) void BindAtLoad() { BindFrom(ModuleFolder()); }
__attribute__((destructor)) void UnbindAtUnload() { Unbind(); }

}  // namespace

const Table& Entries() { return g_table; }

bool LibraryLoaded(int lib) { return lib >= 0 && lib < MV7_LIB_COUNT && g_libraries[lib] != nullptr; }

bool CanLoadPictures() {
  const Table& t = g_table;
  return LibraryLoaded(MV7_LIB_COM) && LibraryLoaded(MV7_LIB_FILE) && t.MVFileType != nullptr &&
         t.MVFileLoad != nullptr && t.MVGetImageType != nullptr && t.SetImageSize != nullptr &&
         t.MVVectorToRaster != nullptr && t.MVFreeMemory != nullptr;
}

std::string ModuleFolder() {
  const std::string path = ModulePath();
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BoundFolder() { return g_bound_folder; }

bool BindFrom(const std::string& folder) {
  Unbind();
  if (folder.empty() || folder.size() + 32 >= sizeof g_bound_folder) return false;
  std::memcpy(g_bound_folder, folder.c_str(), folder.size() + 1);
  const std::string base = folder.back() == '/' ? folder : folder + "/";
  for (int lib = 0; lib < MV7_LIB_COUNT; ++lib)
    g_libraries[lib] = dlopen((base + kLibraryFiles[lib]).c_str(), RTLD_NOW | RTLD_LOCAL);
  ResolveEntries();
  return CanLoadPictures();
}

void Unbind() {
  g_table = Table{};
  for (int lib = 0; lib < MV7_LIB_COUNT; ++lib) {
    if (g_libraries[lib] != nullptr) dlclose(g_libraries[lib]);
    g_libraries[lib] = nullptr;
  }
  g_bound_folder[0] = '\0';
}

int32_t FileType(const char* file, int32_t index, MVFileInfo* info) {
  return CanLoadPictures() ? g_table.MVFileType(file, index, info) : 0;
}

MVHANDLE FileLoad(const char* file, int32_t index, int32_t max_width, int32_t max_height) {
  return CanLoadPictures() ? g_table.MVFileLoad(file, index, max_width, max_height, 0, 0, 0, 0) : 0;
}

int32_t JpegExifInfo(const char* file, MVExifInfo* info) {
  return CanLoadPictures() && g_table.MVJpegExifInfo != nullptr ? g_table.MVJpegExifInfo(file, info) : 0;
}

int32_t GetImageType(MVHANDLE handle, MVImageType* info) {
  return CanLoadPictures() ? g_table.MVGetImageType(handle, info) : 0;
}

MVHANDLE Resize(MVHANDLE* pair, int32_t width, int32_t height) {
  return CanLoadPictures() && g_table.MVResize != nullptr ? g_table.MVResize(pair, width, height, 1, 0, 0, 0, 0) : 0;
}

MVHANDLE SetImageSize(MVHANDLE handle, int32_t width, int32_t height) {
  return CanLoadPictures() ? g_table.SetImageSize(handle, width, height) : 0;
}

MVHANDLE VectorToRaster(MVHANDLE handle, int32_t red, int32_t green, int32_t blue) {
  return CanLoadPictures() ? g_table.MVVectorToRaster(handle, 24, 1, red, green, blue) : 0;
}

void FreeMemory(MVHANDLE handle) {
  if (handle != 0 && g_table.MVFreeMemory != nullptr) g_table.MVFreeMemory(handle);
}

MVHANDLE GlobalAlloc(size_t bytes) {
  return bytes > 0 && g_table.MVGlobalAlloc != nullptr ? g_table.MVGlobalAlloc(bytes) : 0;
}

void* GlobalLock(MVHANDLE handle) {
  return handle != 0 && g_table.MVGlobalLock != nullptr ? g_table.MVGlobalLock(handle) : nullptr;
}

bool GlobalUnlock(MVHANDLE handle) {
  return handle != 0 && g_table.MVGlobalUnlock != nullptr && g_table.MVGlobalUnlock(handle) != 0;
}

size_t GlobalSize(MVHANDLE handle) {
  return handle != 0 && g_table.MVGlobalSize != nullptr ? g_table.MVGlobalSize(handle) : 0;
}

bool GlobalFree(MVHANDLE handle) {
  return handle != 0 && g_table.MVGlobalFree != nullptr && g_table.MVGlobalFree(handle) != 0;
}

MVHANDLE GlobalDuplicate(MVHANDLE handle) {
  LockedBlock src(handle);
  const size_t n = src.size();
  if (n == 0) return 0;
  const MVHANDLE copy = GlobalAlloc(n);
  LockedBlock dst(copy);
  if (!dst) {
    (void)GlobalFree(copy);
    return 0;
  }
  std::memcpy(dst.data(), src.data(), n);
  return copy;
}

}  // namespace imaging_dlls
