#include "app/workflow/FileIdentity.h"
#include <windows.h>
#include "common/base/Handle.h"
#include "common/base/Path.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

FileIdentity_st IdentityOf(const String_cl& path)
{
    FileIdentity_st id;
    // No access asked for: the identity of a file the user may not read is
    // still its identity. Backup semantics open folders too.
    Base_ns::Handle_cl h(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.Valid() || !GetFileInformationByHandle(h.Get(), &info)) return id;
    id.known = true;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return id;
}

bool FilePlace_st::Same(const FilePlace_st& o) const
{
    if (file.known || o.file.known) return file == o.file;
    return folder == o.folder && name == o.name;
}

FilePlace_st PlaceOf(const String_cl& path)
{
    FilePlace_st place;
    place.file = IdentityOf(path);
    place.folder = IdentityOf(Base_ns::GetFileDirectory(path, false));
    place.name = Base_ns::GetFileName(path);
    WIN32_FIND_DATAW found;
    const HANDLE search = place.file.known ? FindFirstFileW(path.c_str(), &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        place.name = found.cFileName;
        FindClose(search);
    }
    place.name = place.name.Upper();
    return place;
}

} // namespace Quorvane_ns
