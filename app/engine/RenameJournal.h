#pragma once
// The record of project files that the row build has moved to a temporary
// name for the length of an external build (which can take hours). If the
// process dies meanwhile, the next start moves them back, so that a user's
// project file never stays under the temporary name.
//
// The record lives beside the data file ("Quorvane.renames"), UTF-16LE with
// its mark, one entry a line, fields separated by tabs (no file name can
// contain a tab): original, temporary, attributes, wrapper, process id,
// process creation time. It is rewritten whole through a temporary file that
// then replaces it, so a crash leaves the old record or the new one; it is
// deleted when no entry is left.
#include <cstdint>
#include <vector>
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

class RenameJournal_cl {
public:
    struct Entry_st {
        String_cl original;          // the user's file
        String_cl temporary;         // its name while the build runs
        uint32_t attributes = 0xFFFFFFFF;  // to put back; all bits set: leave as found
        // A temporary file of ours to delete (.icproj wrapper). When it is the
        // original itself, a copy of ours stands under the user's file's name
        // (the user's file is at temporary): a file there that is the user's
        // file with lines left out is deleted before the move back; any other
        // stays, and so does the temporary file, for the user to see.
        String_cl wrapper;
        uint32_t process = 0;        // who renamed it; 0: nobody still running
        uint64_t processStart = 0;   // that process's creation time, against reused ids
    };

    static const wchar_t* ClassName() { return L"RenameJournal_cl"; }

    // An empty path goes back to the default, ModuleDirectory() + "Quorvane.renames".
    static void SetPath(const String_cl& path);
    static String_cl Path();

    // Records a rename by this process before it is made. False when the
    // record cannot be written: the caller should then not rename at all.
    static bool Add(const String_cl& original, const String_cl& temporary, uint32_t attributes,
                    const String_cl& wrapper = String_cl());
    static bool AddEntry(const Entry_st& entry);
    // Forgets the entries of original (and of that temporary name, when one is
    // given), compared ignoring case, once the file is back.
    static bool Remove(const String_cl& original, const String_cl& temporary = String_cl());
    static std::vector<Entry_st> Entries();
    // A record that is there but cannot be read (not written by this program,
    // cut off) is never acted on, written over or deleted: the first change or
    // restore moves it aside whole as "<record>.无法读取-<stamp>", leaves every
    // file it may name alone, and starts a new record. This returns where the
    // last one went (once; empty when none), for the start routine to tell the user.
    static String_cl TakeSetAsidePath();

    // For every entry whose process is no longer running: moves the temporary
    // file back when it exists and the original name is free, puts the
    // attributes back, deletes the wrapper, and forgets the entry (an entry
    // whose move failed for another reason is kept for the next start).
    // Entries of running processes, this one included, are left alone; a
    // process is known by its id and its start time, since ids are reused.
    // Returns the number of files moved back.
    static int RestorePending();
};

} // namespace Quorvane_ns
