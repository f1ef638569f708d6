#pragma once
// The three stores that live for the whole process (the build-order
// sequence, the project records and the plans) and the routines that load
// them from the data file at start and save them at the end.
//
// A data file that exists but cannot be loaded (not XML, a "版本" this
// program refuses, a missing attribute) is never overwritten: it is moved
// aside under a name that says so, the program starts with the default plan,
// and the start routine reports where the file went so that the window or the
// console can tell the user.
#include <windows.h>
#include <cstdint>
#include <exception>
#include "common/base/String.h"
#include "app/engine/BuildTimePack.h"
#include "app/engine/LearnedLinkPack.h"
#include "app/engine/ProjectPack.h"
#include "app/store/PlanPack.h"
#include "app/engine/SerialPack.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

inline constexpr const wchar_t kDefaultPlanName[] = L"默认";
inline constexpr const wchar_t kDefaultPlanConfiguration[] = L"Debug|Win32";

// What the start routine found.
struct StartReport_st {
    String_cl dataPath;       // the data file the start routine was given
    int restoredFiles = 0;    // project files moved back from a build that was cut off
    // Where a rename record that could not be read was moved; empty when none.
    String_cl journalAside;
    bool loaded = false;      // the data file was there and loaded
    bool unreadable = false;  // the data file was there but did not load
    // Where the unreadable file was moved (or, when it could not be moved,
    // copied); empty when neither worked: then the file stays where it is and
    // the end routine does not write over it.
    String_cl asidePath;
    String_cl errorText;      // the load error as its message box shows it (Error_cl::Text)
    bool systemError = false; // the load error was a system error
    std::exception_ptr error; // the Error_cl itself, for Error_cl::Show
    bool addedDefaultPlan = false;
    // Learned links dropped because their entry lacked a value.
    int droppedLinks = 0;
    // Build times dropped because their entry lacked a value or its time
    // was no number of milliseconds.
    int droppedTimes = 0;
};

class Stores_cl {
public:
    Stores_cl() = default;
    // Plans go first (their rows hold project records and sequence entries),
    // then the project records, then the sequence.
    ~Stores_cl();
    Stores_cl(const Stores_cl&) = delete;
    Stores_cl& operator=(const Stores_cl&) = delete;

    // Declared in this order so that they are also destroyed plans first.
    SerialPack_cl sequences;
    ProjectPack_cl projects;
    PlanPack_cl plans;
    // Libraries that projects link without naming them (learned from links
    // that failed); kept in the data file beside the sequence and the plans.
    LearnedLinkPack_cl links;
    // How long each project's last build took, per configuration; kept in
    // the data file after the learned links.
    BuildTimePack_cl times;

    // Puts back project files a cut-off build left renamed, loads path (the
    // sequence, then the plans, the learned links and the build times) when it is an existing file, and adds the
    // plan "默认" / "Debug|Win32" when there is no plan. A file that fails to
    // load is moved aside and reported, not raised; errors that are not the
    // file's fault (MSXML missing) pass to the caller.
    StartReport_st StartProgram(const String_cl& path);
    // Saves the sequence and the plans to path, then empties the stores.
    // Learned links of projects that no plan holds are dropped first (see
    // SaveDataFile).
    // Returns false, saving nothing, when path is a file that did not load
    // and could not be moved aside. Save errors pass, leaving the stores full.
    bool EndProgram(const String_cl& path);
    // Writes the data file without emptying the stores (the console saves
    // after every plan's job, the window after every job and row). Same
    // refusal as EndProgram. The file is replaced atomically: a failed save
    // leaves the old file. Learned links and build times of a project that
    // no plan holds are dropped: the projects of a plan read in this run are
    // its rows', those of another plan come from its solution files; when
    // one of those cannot be read or reads as no projects, nothing is
    // dropped.
    // A data file that another program changed since this one loaded or last
    // saved it is not written over: this save and every later one of the run
    // go to a file beside it ("Quorvane.另存-<stamp>.xml"), and the first
    // such save raises IOError_cl 105 of Stores_cl naming both files, unless
    // quiet (then a later save that is not quiet tells it).
    bool SaveDataFile(const String_cl& path, bool quiet = false);

    const StartReport_st& LastStart() const { return m_lastStart; }

    // What a program last saw of the data file, to tell another's change.
    struct FileSeen_st {
        String_cl path;
        bool known = false;   // read to its end, or known to be missing
        bool exists = false;
        uint64_t size = 0;
        uint64_t hash = 0;
    };

private:
    bool ChangedSinceSeen(const String_cl& path) const;

    String_cl m_keepPath;   // an unreadable data file that could not be moved aside
    StartReport_st m_lastStart;
    FileSeen_st m_seen;         // as StartProgram found it, or as the last save left it
    String_cl m_changedAside;   // where this run saves since another program changed the file
    bool m_changeTold = false;
};

// "Quorvane.xml" → "Quorvane.无法读取-<stamp>.xml", in the same folder.
String_cl UnreadableDataFilePath(const String_cl& path, const String_cl& stamp);
// The message that tells the user where an unreadable data file went; empty
// when the report holds no such file.
String_cl UnreadableDataFileText(const StartReport_st& report);
// The message that tells the user where a damaged rename record went.
String_cl DamagedJournalText(const StartReport_st& report);
// The message that tells the user how many learned links were dropped.
String_cl DroppedLinksText(const StartReport_st& report);
// The same for build times.
String_cl DroppedTimesText(const StartReport_st& report);
// Whether ShowStartReport has anything to show.
bool HasStartMessages(const StartReport_st& report);
// Shows what the start routine has to say, through Base_ns::ShowMessage:
// where a damaged rename record went, how many learned links were dropped,
// the load error (as Error_cl::Show shows it, so a system error is also
// logged) and then the message naming the place of the file. Nothing when
// HasStartMessages says so.
void ShowStartReport(const StartReport_st& report, HWND owner);

} // namespace Quorvane_ns
