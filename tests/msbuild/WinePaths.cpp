#include "tests/msbuild/WinePaths.h"
#include <windows.h>
#include <string>

namespace Oracle_ns {

namespace {

// Exported by Wine's kernel32 only; both return memory of the process heap.
using ToUnix_t = char*(__cdecl*)(const wchar_t*);
using ToDos_t = wchar_t*(__cdecl*)(const char*);

template <class Fn>
Fn WineFunction(const char* name)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC f = kernel ? GetProcAddress(kernel, name) : nullptr;
    // Through the generic function pointer type, the one cast both compilers
    // accept between unrelated function types.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(f));
}

} // namespace

bool UnderWine() { return WineFunction<ToUnix_t>("wine_get_unix_file_name") != nullptr; }

String_cl SystemPath(const String_cl& windowsPath)
{
    auto toUnix = WineFunction<ToUnix_t>("wine_get_unix_file_name");
    if (!toUnix) return windowsPath;
    char* unix = toUnix(windowsPath.c_str());
    if (!unix) return String_cl();
    String_cl path = String_cl::FromUtf8(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    // Wine drops the trailing separator of a folder; the callers keep it.
    if (!windowsPath.empty() && windowsPath.back() == L'\\' && (path.empty() || path.back() != L'/')) path += L'/';
    return path;
}

String_cl WindowsPath(const String_cl& systemPath)
{
    auto toDos = WineFunction<ToDos_t>("wine_get_dos_file_name");
    if (!toDos || !systemPath.StartsWith(L"/")) return systemPath;
    wchar_t* dos = toDos(systemPath.ToUtf8().c_str());
    if (!dos) return String_cl();
    String_cl path = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    // A path outside every drive comes back as \\?\unix\...; one on a
    // drive may keep the prefix of the native form.
    if (path.StartsWith(L"\\\\?\\") && path.size() > 6 && path[5] == L':') path.erase(0, 4);
    if (systemPath.back() == L'/' && (path.empty() || path.back() != L'\\')) path += L'\\';
    return path;
}

} // namespace Oracle_ns
