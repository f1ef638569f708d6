// The Windows half of the comparison of the project reader with MSBuild
// (oracle-test.sh runs the other half, MSBuild of the .NET SDK, natively):
//
//   qv_msbuild_oracle write <folder>
//       writes the corpus of project files (GeneratorCorpus.h) into
//       <folder>\corpus\ and the cases to evaluate: cases.tsv (number, style,
//       project, solution, as Windows paths) and cases.proj (QvCase items
//       for Oracle.proj, as the system's paths, with the solution's macros)
//   qv_msbuild_oracle compare <folder> [--strict]
//       reads every case with the program's project reader, compares the
//       record with MSBuild's report (<folder>\report.tsv) and prints what
//       agreed and what did not; writes <folder>\results.tsv
//   qv_msbuild_oracle read <project> [<solution>]
//       prints the reader's record of a project file
//
// <folder> may be given as a Unix path under Wine. Exit codes: 0 done (and
// agreed, with --strict), 1 disagreements with --strict, 2 the comparison
// itself could not be made (a case MSBuild did not evaluate, a file not
// written, MSXML missing).
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "app/engine/ProjectPack.h"
#include "tests/msbuild/OracleComparison.h"
#include "tests/msbuild/WinePaths.h"
#include "tests/support/GeneratorCorpus.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;

namespace {

void Print(const String_cl& text)
{
    const std::string bytes = String_cl(text + L"\n").ToUtf8();
    fwrite(bytes.data(), 1, bytes.size(), stdout);
}

String_cl Folder(const String_cl& given)
{
    String_cl folder = Oracle_ns::WindowsPath(given);
    folder.ReplaceAll(L"/", L"\\");
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::vector<std::vector<String_cl>> ReadTable(const String_cl& path)
{
    std::string bytes = Test_ns::ReadBytes(path);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    const String_cl text = String_cl::FromUtf8(bytes);
    std::vector<std::vector<String_cl>> rows;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == String_cl::npos) end = text.size();
        String_cl line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        start = end + 1;
        if (line.empty()) continue;
        std::vector<String_cl> cells;
        size_t from = 0;
        for (;;) {
            const size_t tab = line.find(L'\t', from);
            cells.push_back(line.substr(from, tab == String_cl::npos ? String_cl::npos : tab - from));
            if (tab == String_cl::npos) break;
            from = tab + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

// MSBuild's escaping of an item's text or a property's value: the
// characters it gives a meaning to as %XX.
String_cl MsbuildEscaped(const String_cl& text)
{
    String_cl out;
    for (wchar_t c : text) {
        const wchar_t* special = L"%$@';?*";
        if (wcschr(special, c) && c) {
            wchar_t code[4];
            swprintf(code, 4, L"%%%02X", static_cast<unsigned>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

String_cl XmlEscaped(String_cl text)
{
    text.ReplaceAll(L"&", L"&amp;");
    text.ReplaceAll(L"<", L"&lt;");
    text.ReplaceAll(L">", L"&gt;");
    text.ReplaceAll(L"\"", L"&quot;");
    return text;
}

String_cl FolderOf(const String_cl& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }
String_cl NameOf(const String_cl& path) { return path.substr(path.find_last_of(L'\\') + 1); }
String_cl TitleOf(const String_cl& path)
{
    const String_cl name = NameOf(path);
    return name.substr(0, name.rfind(L'.'));
}

// The solution's macros, as the builder sets them: the solution's for a
// project read in it, the project's own folder and name for one alone
// (the builder makes it a solution of its own).
String_cl SolutionProperties(const String_cl& project, const String_cl& solution)
{
    const String_cl file = solution.empty() ? String_cl(FolderOf(project) + TitleOf(project) + L".sln") : solution;
    const String_cl values[][2] = {{L"SolutionDir", Oracle_ns::SystemPath(FolderOf(file))},
                                   {L"SolutionName", TitleOf(file)},
                                   {L"SolutionFileName", NameOf(file)},
                                   {L"SolutionPath", Oracle_ns::SystemPath(FolderOf(file)) + NameOf(file)},
                                   {L"SolutionExt", L".sln"}};
    String_cl text;
    for (const auto& v : values) text += L";" + v[0] + L"=" + MsbuildEscaped(v[1]);
    return text;
}

int Write(const String_cl& folder)
{
    Test_ns::RemoveTree(folder + L"corpus\\");
    bool written = false;
    const std::vector<Test_ns::CorpusCase_st> cases = Test_ns::WriteGeneratorCorpus(folder + L"corpus\\", &written);
    String_cl table, items;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Test_ns::CorpusCase_st& c = cases[i];
        const String_cl number = String_cl::FromUnsigned(i + 1);
        table += number + L"\t" + c.style + L"\t" + c.project + L"\t" + c.solution + L"\n";
        const String_cl project = Oracle_ns::SystemPath(c.project);
        if (project.empty() || Oracle_ns::SystemPath(FolderOf(c.project)).empty()) {
            Print(L"Wine gives no Unix path for " + c.project);
            return 2;
        }
        items += L"    <QvCase Include=\"" + XmlEscaped(MsbuildEscaped(project)) + L"\">\n      <AdditionalProperties>QvCase=" +
                 number + XmlEscaped(SolutionProperties(c.project, c.solution)) + L"</AdditionalProperties>\n    </QvCase>\n";
    }
    const bool ok = written && Test_ns::WriteBytes(folder + L"cases.tsv", table.ToUtf8()) &&
                    Test_ns::WriteBytes(folder + L"cases.proj",
                                        String_cl(L"<Project>\n  <ItemGroup>\n" + items + L"  </ItemGroup>\n</Project>\n").ToUtf8());
    Print((ok ? L"Wrote " : L"Could not write ") + String_cl::FromUnsigned(cases.size()) + L" cases into " + folder);
    return ok ? 0 : 2;
}

struct Tally_st {
    int agree = 0;
    int differ = 0;
    int notApplicable = 0;
};

int Compare(const String_cl& folder, bool strict)
{
    const auto cases = ReadTable(folder + L"cases.tsv");
    // case -> configuration (as MSBuild names it) -> values
    std::map<String_cl, std::map<String_cl, Oracle_ns::MsbuildValues_t>> report;
    for (const auto& row : ReadTable(folder + L"report.tsv"))
        if (row.size() >= 3) report[row[0]][row[1]][row[2]] = row.size() > 3 ? row[3] : String_cl();
    if (cases.empty()) {
        Print(L"No cases in " + folder + L"cases.tsv");
        return 2;
    }

    const std::vector<const wchar_t*> fields{L"configurations", L"configuration", L"type", L"OutDir", L"IntDir",
                                             L"target name", L"output file", L"import library", L"program database",
                                             L"libraries", L"references"};
    // Paths shown from the corpus's folder on; compared whole.
    const String_cl corpus = folder + L"corpus\\";
    auto Shown = [&](String_cl text) {
        text.ReplaceAll(corpus, L"<corpus>\\");
        return text;
    };
    std::map<String_cl, Tally_st> tally;
    std::vector<String_cl> differences;
    String_cl results;
    int missing = 0;
    int configurationCount = 0;
    const Oracle_ns::ToWindows_t toWindows = [](const String_cl& p) { return Oracle_ns::WindowsPath(p); };
    for (const auto& row : cases) {
        if (row.size() < 4) continue;
        const String_cl& number = row[0];
        const String_cl place = L"[" + row[1] + L"] " + Shown(row[2]) + (row[3].empty() ? L" (alone)" : L" in " + NameOf(row[3]));
        auto evaluated = report.find(number);
        if (evaluated == report.end()) {
            Print(L"MSBuild did not evaluate " + place);
            ++missing;
            continue;
        }
        Quorvane_ns::ProjectPack_cl pack;
        const Quorvane_ns::Project_st& project = pack.FindOrAdd(row[2], row[3]).Data();

        auto record = [&](const String_cl& configuration, const Oracle_ns::Check_st& check) {
            Tally_st& t = tally[check.field];
            if (!check.compared) {
                ++t.notApplicable;
            } else if (check.agree) {
                ++t.agree;
            } else {
                ++t.differ;
                differences.push_back(place + L", " + configuration + L", " + check.field + L":\n    reader:  " +
                                      Shown(check.reader) + L"\n    MSBuild: " + Shown(check.msbuild));
            }
            results += number + L"\t" + configuration + L"\t" + check.field + L"\t" +
                       (check.compared ? (check.agree ? L"agree" : L"differ") : L"n/a") + L"\t" + check.reader + L"\t" +
                       check.msbuild + L"\n";
        };
        std::vector<String_cl> names;
        for (const auto& [configuration, values] : evaluated->second) names.push_back(configuration);
        record(L"*", Oracle_ns::CompareConfigurationNames(names, project));
        for (const auto& [configuration, values] : evaluated->second) {
            ++configurationCount;
            const Quorvane_ns::ConfigEntry_st* entry = project.configurations.Find(configuration.Upper());
            for (const Oracle_ns::Check_st& check : Oracle_ns::CompareConfiguration(values, project, entry, toWindows))
                record(configuration, check);
        }
    }
    Test_ns::WriteBytes(folder + L"results.tsv", results.ToUtf8());

    Print(L"The project reader against MSBuild (stand-in VC files): " + String_cl::FromUnsigned(cases.size()) +
          L" cases, " + String_cl::FromInt(configurationCount) + L" configurations");
    Print(L"  field               agree  differ   n/a");
    int differing = 0;
    for (const wchar_t* field : fields) {
        const Tally_st& t = tally[field];
        differing += t.differ;
        wchar_t line[128];
        swprintf(line, 128, L"  %-18ls %6d  %6d  %4d", field, t.agree, t.differ, t.notApplicable);
        Print(line);
    }
    if (!differences.empty()) {
        Print(L"Where they differ:");
        for (const String_cl& d : differences) Print(L"  " + d);
    }
    if (missing > 0) return 2;
    return strict && differing > 0 ? 1 : 0;
}

int Read(const String_cl& project, const String_cl& solution)
{
    Quorvane_ns::ProjectPack_cl pack;
    const Quorvane_ns::Project_st& p = pack.FindOrAdd(project, solution).Data();
    Print(L"name\t" + p.name);
    Print(L"exists\t" + String_cl::FromInt(p.exists));
    if (!p.unreadable.empty()) Print(L"unreadable\t" + p.unreadable);
    for (const String_cl& r : p.references) Print(L"reference\t" + r);
    for (const String_cl& s : p.sheets) Print(L"sheet\t" + s);
    for (const auto& [key, e] : p.configurations) {
        Print(L"[" + key + L"]");
        Print(L"  output\t" + e.output);
        Print(L"  outputFolder\t" + e.outputFolder);
        Print(L"  intermediateFolder\t" + e.intermediateFolder);
        Print(L"  outputFile\t" + e.outputFile);
        Print(L"  importLibrary\t" + e.importLibrary);
        Print(L"  programDatabase\t" + e.programDatabase);
        Print(L"  compilerDatabase\t" + e.compilerDatabase);
        for (const String_cl& l : e.libraries) Print(L"  library\t" + l);
        for (const String_cl& u : e.unknowns) Print(L"  unknown\t" + u);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const String_cl command = argc > 1 ? argv[1] : L"";
    int rc = 2;
    try {
        if (command == L"write" && argc == 3)
            rc = Write(Folder(argv[2]));
        else if (command == L"compare" && (argc == 3 || argc == 4))
            rc = Compare(Folder(argv[2]), argc == 4 && String_cl(argv[3]) == L"--strict");
        else if (command == L"read" && (argc == 3 || argc == 4))
            rc = Read(argv[2], argc == 4 ? argv[3] : L"");
        else
            Print(L"usage: qv_msbuild_oracle write <folder> | compare <folder> [--strict] | read <project> [<solution>]");
    } catch (const Base_ns::Error_cl& e) {
        Print(L"error: " + e.Message() + L" " + e.Note());
        rc = 2;
    }
    CoUninitialize();
    return rc;
}
