#pragma once
// Other ways to name a file the tests made: the same file under another
// drive, by its short name, through a hard or a symbolic link. Each returns
// what it made, or an empty text where this system cannot make it.
#include "common/base/String.h"

namespace Test_ns {

using Base_ns::String_cl;

// Under Wine, the path through drive Z:, which maps the Unix root onto every
// folder of C: as well; elsewhere empty.
String_cl UnixDriveSpelling(const String_cl& path);
// The 8.3 short form of an existing path; empty when it has none other
// than itself.
String_cl ShortSpelling(const String_cl& path);
bool MakeHardLink(const String_cl& link, const String_cl& target);
// A symbolic link to a file, removed with the object. Wine 8 answers
// CreateSymbolicLinkW with success and makes nothing; there the link is what
// Wine shows as one, a Unix symbolic link (made by ln -s, which Wine starts
// like any program), and it is removed the same way: Wine's DeleteFileW on
// it deletes the file it names.
class SymbolicLink_cl {
public:
    SymbolicLink_cl(const String_cl& link, const String_cl& target);
    ~SymbolicLink_cl();
    SymbolicLink_cl(const SymbolicLink_cl&) = delete;
    SymbolicLink_cl& operator=(const SymbolicLink_cl&) = delete;
    // The link; empty when it could not be made.
    const String_cl& Path() const { return m_path; }

private:
    String_cl m_path;
    bool m_unix = false;
};
// Whether the tests run under Wine.
bool UnderWine();

} // namespace Test_ns
