#pragma once
// Which file a path names, as the file system knows it: the volume's serial
// number and the file's index on it. A path can be spelt many ways (letter
// case, an 8.3 name, the same folder through another drive letter, a
// symbolic link on the way); the identity is the same for all of them.
#include <cstdint>
#include "common/base/String.h"

namespace Quorvane_ns {

struct FileIdentity_st {
    bool known = false;  // false: the path could not be opened (missing, no access)
    uint32_t volume = 0;
    uint64_t index = 0;

    bool operator==(const FileIdentity_st& o) const
    {
        return known && o.known && volume == o.volume && index == o.index;
    }
};

// The identity of an existing file or folder.
FileIdentity_st IdentityOf(const Base_ns::String_cl& path);

// A place for a file that may not exist yet: the identity of the file when
// it exists, and always that of its folder with its name, upper-cased (the
// name as the folder lists it when the file exists, so a short name reads
// as the long one).
struct FilePlace_st {
    FileIdentity_st file;
    FileIdentity_st folder;
    Base_ns::String_cl name;

    // Both name the same file: the same existing file, or the same name in
    // the same folder.
    bool Same(const FilePlace_st& o) const;
};
FilePlace_st PlaceOf(const Base_ns::String_cl& path);

} // namespace Quorvane_ns
