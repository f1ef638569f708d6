#pragma once
// Which file a path names, as the file system knows it. A path can be spelt
// many ways: letter case, "." and ".." parts, "/" for "\", an 8.3 short
// name, a "\\?\" prefix, "\\?\UNC\" for "\\", another drive letter onto the
// same folder (Wine's Z: reaches every folder of C:), a symbolic link or a
// junction on the way, a second hard link. Two spellings name one file when
// they resolve to the same final path (the file system's own name for an
// existing file, followed through links; for a missing one its folder's,
// with the rest as written), or when the file system gives them the same
// volume and file index. The index tells more only for a file of several
// names (hard links): only such a file is asked for it, since the volume's
// serial number costs a query of its own (a slow one under Wine).
//
// Taking an identity opens the path (without asking for any access, so a
// file held open by another program still has one). While an
// IdentityScope_cl lives on a thread, each path text is looked up once
// there: one operation (reading a plan, building its graph) compares the
// same few files many times.
#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>
#include "common/base/String.h"

namespace Base_ns {

struct FileIdentity_st {
    // The full path, upper-cased, with every part that exists as the file
    // system names it (links followed, short names long, the drive that
    // holds the folder); the rest as written, "." and ".." folded. No
    // trailing separator, except a drive's root ("C:\"). Empty only for an
    // empty path.
    String_cl finalPath;
    bool exists = false;
    // How many names (hard links) the existing file has; 0 when it does not exist.
    uint32_t links = 0;
    // A file of several names: the file system gave its volume and index.
    bool indexed = false;
    uint32_t volume = 0;
    uint64_t index = 0;

    bool Empty() const { return finalPath.empty(); }
    // Both name one file: the same volume and index, or the same final path.
    bool Same(const FileIdentity_st& other) const;
    // This path lies inside folder (below it, at any depth).
    bool Inside(const FileIdentity_st& folder) const;
};

FileIdentity_st IdentityOf(const String_cl& path);

// Values kept by the file they belong to, found again by any spelling of
// it: by final path, and by volume and index for a file of several names.
template <class T>
class FileIndex_tl {
public:
    void Add(const FileIdentity_st& file, const T& value)
    {
        m_byPath[file.finalPath].push_back(value);
        if (file.indexed) m_byIndex[{file.volume, file.index}].push_back(value);
    }
    // In the order added, each once.
    std::vector<T> Find(const FileIdentity_st& file) const
    {
        std::vector<T> values;
        auto byPath = m_byPath.find(file.finalPath);
        if (byPath != m_byPath.end()) values = byPath->second;
        auto byIndex = file.indexed ? m_byIndex.find({file.volume, file.index}) : m_byIndex.end();
        if (byIndex != m_byIndex.end())
            for (const T& value : byIndex->second)
                if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
        return values;
    }
    bool Holds(const FileIdentity_st& file) const { return !Find(file).empty(); }

private:
    std::map<String_cl, std::vector<T>> m_byPath;
    std::map<std::pair<uint32_t, uint64_t>, std::vector<T>> m_byIndex;
};

// The identity in cache, taken from path first when cache is still empty:
// for records that keep their file's identity beside its path.
const FileIdentity_st& CachedIdentity(FileIdentity_st& cache, const String_cl& path);

// Within the lifetime of the outermost scope on a thread, IdentityOf takes
// each path text from the file system once. Scopes nest.
class IdentityScope_cl {
public:
    IdentityScope_cl();
    ~IdentityScope_cl();
    IdentityScope_cl(const IdentityScope_cl&) = delete;
    IdentityScope_cl& operator=(const IdentityScope_cl&) = delete;
};

} // namespace Base_ns
