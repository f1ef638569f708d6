#pragma once
// The console's command line in two tables: every command with its operands,
// the options it takes, what runs it and its line of help; every option with
// its value, what it sets and its line of help. Parsing, dispatch and the
// usage text all come from them, so a new command or option is one entry
// (and, for an option, the field of Invocation_st it sets).
#include <cstddef>
#include <vector>
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

class Session_cl;
struct Command_st;
struct Option_st;

// A command line as read.
struct Invocation_st {
    const Command_st* command = nullptr;  // null: the window's list of plans
    String_cl word;                       // the first word that is no option
    std::vector<String_cl> operands;      // the words after it
    std::vector<const Option_st*> given;  // the options on the line, in order

    bool help = false;
    bool version = false;
    String_cl vcDirectory;
    bool hasVcDirectory = false;
    String_cl configuration;
    bool hasConfiguration = false;
    int stopOnError = -1;  // -1: the saved setting
    int rename = -1;       // -1: the saved setting
    bool shutdown = false;
    String_cl report;  // JUnit file of a build or rebuild; empty for none
    int jobs = 0;      // 0: the saved setting

    // A build of these rows only (names or project files, comma-separated).
    String_cl only;
    // The folder of the data file, the logs and the program's other files;
    // empty: the program's own folder.
    String_cl dataDir;
    String_cl results;   // a build's plan file with its results
    String_cl root;      // the folder plan files are relative to
    String_cl out;       // the pipeline file
    String_cl planFile;  // the plan file a pipeline carries
    String_cl engine;    // --for: gitlab or github
    int agents = 4;
    double jobOverhead = 60;
    std::vector<String_cl> tags;
    String_cl runsOn = L"windows-latest";
    String_cl shell = L"pwsh";
};

struct Option_st {
    // The option; a second name is its opposite (--rename, --no-rename) or
    // another spelling of it (--help, -h, /?).
    std::vector<const wchar_t*> names;
    const wchar_t* value;  // its value as the usage shows it; null for a switch
    const wchar_t* help;
    // Sets what the option says; which: the index of the name given. A bad
    // value raises UsageError_st.
    void (*apply)(Invocation_st& line, size_t which, const String_cl& value);
    bool anyCommand;  // allowed with every command (and without one)
};

struct Command_st {
    const wchar_t* name;
    const wchar_t* operands;  // as the usage shows them
    size_t minOperands;
    size_t maxOperands;
    std::vector<const wchar_t*> options;  // the first names of the options it takes
    int (*run)(Session_cl& session);     // the exit status
    bool saves;                          // the data file is saved when it ends
    const wchar_t* help;
};

// A bad command line; the message is printed above the usage text.
struct UsageError_st {
    String_cl message;
};

const std::vector<Command_st>& Commands();
const std::vector<Option_st>& Options();

// args: the words after the program name. The first word that is no option
// is the command; when it is none of the commands, it is the window's list
// of plans, which takes no option. Raises UsageError_st.
Invocation_st ParseCommandLine(const std::vector<String_cl>& args);
String_cl UsageText();

// The names of a comma-separated list of plans as the window reads them: a
// comma at the end is harmless, an empty name is a name that no plan has.
std::vector<String_cl> SplitPlans(const String_cl& list);

} // namespace Quorvane_ns
