#include "tests/msbuild/OracleComparison.h"
#include <algorithm>

namespace Oracle_ns {

namespace {

String_cl Value(const MsbuildValues_t& values, const wchar_t* name)
{
    auto found = values.find(name);
    return found == values.end() ? String_cl() : found->second;
}

String_cl Trimmed(const String_cl& text)
{
    const wchar_t* blanks = L" \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == String_cl::npos) return String_cl();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The file name of a path written with either separator.
String_cl NameOf(const String_cl& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == String_cl::npos ? path : String_cl(path.substr(slash + 1));
}

String_cl TitleOf(const String_cl& path)
{
    const String_cl name = NameOf(path);
    const size_t dot = name.rfind(L'.');
    return dot == String_cl::npos ? name : String_cl(name.substr(0, dot));
}

// The items of a ";" list, blanks around them dropped, empty ones left out.
std::vector<String_cl> Items(const String_cl& list)
{
    std::vector<String_cl> items;
    size_t start = 0;
    for (;;) {
        const size_t semicolon = list.find(L';', start);
        const String_cl item = Trimmed(list.substr(start, semicolon == String_cl::npos ? String_cl::npos : semicolon - start));
        if (!item.empty()) items.push_back(item);
        if (semicolon == String_cl::npos) break;
        start = semicolon + 1;
    }
    return items;
}

// Sorted, upper-cased, each once: a set to compare ignoring case.
std::vector<String_cl> SetOf(const std::vector<String_cl>& values)
{
    std::vector<String_cl> set;
    for (const String_cl& v : values) set.push_back(v.Upper());
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    return set;
}

String_cl Joined(const std::vector<String_cl>& values)
{
    std::vector<String_cl> sorted = values;
    std::sort(sorted.begin(), sorted.end(), [](const String_cl& a, const String_cl& b) { return a.Upper() < b.Upper(); });
    String_cl text;
    for (const String_cl& v : sorted) text += (text.empty() ? L"" : L"; ") + v;
    return text.empty() ? String_cl(L"(none)") : text;
}

Check_st Compared(const wchar_t* field, const String_cl& reader, const String_cl& msbuild)
{
    return {field, true, Base_ns::EqualsNoCase(reader, msbuild), reader, msbuild, String_cl()};
}

Check_st ComparedSets(const wchar_t* field, const std::vector<String_cl>& reader, const std::vector<String_cl>& msbuild)
{
    return {field, true, SetOf(reader) == SetOf(msbuild), Joined(reader), Joined(msbuild), String_cl()};
}

Check_st NotApplicable(const wchar_t* field, const wchar_t* note) { return {field, false, false, {}, {}, note}; }

enum class Type_en { Program, Dll, Library, None };

Type_en MsbuildType(const String_cl& configurationType)
{
    if (Base_ns::EqualsNoCase(configurationType, L"Application")) return Type_en::Program;
    if (Base_ns::EqualsNoCase(configurationType, L"DynamicLibrary")) return Type_en::Dll;
    if (Base_ns::EqualsNoCase(configurationType, L"StaticLibrary")) return Type_en::Library;
    return Type_en::None;
}

Type_en RecordedType(const ConfigEntry_st& entry)
{
    if (entry.outputFile.empty()) return Type_en::None;
    if (!entry.importLibrary.empty()) return Type_en::Dll;
    if (entry.programDatabase.empty()) return Type_en::Library;
    return Type_en::Program;
}

const wchar_t* TypeName(Type_en type)
{
    switch (type) {
    case Type_en::Program: return L"Application";
    case Type_en::Dll: return L"DynamicLibrary";
    case Type_en::Library: return L"StaticLibrary";
    default: return L"no output (Utility, Makefile)";
    }
}

String_cl ProjectFolder(const Project_st& project)
{
    const size_t slash = project.path.find_last_of(L'\\');
    return slash == String_cl::npos ? String_cl() : project.path.substr(0, slash + 1);
}

} // namespace

String_cl CanonicalPath(const String_cl& path, bool folder)
{
    if (path.empty()) return path;
    String_cl p = path;
    p.ReplaceAll(L"/", L"\\");
    // The root stays; ".." never climbs above it.
    String_cl root;
    size_t rest = 0;
    if (p.size() >= 2 && p[1] == L':') {
        root = p.substr(0, 2);
        rest = 2;
    } else if (p.StartsWith(L"\\\\")) {
        const size_t server = p.find(L'\\', 2);
        const size_t share = server == String_cl::npos ? String_cl::npos : p.find(L'\\', server + 1);
        root = p.substr(0, share);
        rest = share == String_cl::npos ? p.size() : share;
    }
    const bool rooted = rest < p.size() && p[rest] == L'\\';
    std::vector<String_cl> parts;
    size_t start = rest;
    while (start <= p.size()) {
        size_t end = p.find(L'\\', start);
        if (end == String_cl::npos) end = p.size();
        const String_cl part = p.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty() && parts.back() != L"..") parts.pop_back();
            else if (!rooted) parts.push_back(part);
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    String_cl result = root + (rooted ? L"\\" : L"");
    for (size_t i = 0; i < parts.size(); ++i) result += (i ? L"\\" : L"") + parts[i];
    if (folder && (result.empty() || result.back() != L'\\')) result += L'\\';
    return result;
}

String_cl MsbuildPath(const String_cl& value, const String_cl& projectFolder, const ToWindows_t& toWindows, bool folder)
{
    String_cl path = Trimmed(value);
    if (path.empty()) return path;
    if (path.StartsWith(L"/")) {
        // MSBuild on Unix joins its own paths to the project's backslashes.
        path.ReplaceAll(L"\\", L"/");
        path = toWindows(path);
    }
    path.ReplaceAll(L"/", L"\\");
    const bool absolute = (path.size() >= 2 && path[1] == L':') || path.StartsWith(L"\\");
    return CanonicalPath(absolute ? path : projectFolder + path, folder);
}

std::vector<Check_st> CompareConfiguration(const MsbuildValues_t& msbuild, const Project_st& project,
                                           const ConfigEntry_st* entry, const ToWindows_t& toWindows)
{
    if (!project.unreadable.empty())
        return {{L"configuration", true, false, L"unreadable: " + project.unreadable, L"read", String_cl()}};
    if (!entry) return {{L"configuration", true, false, L"(missing)", L"declared", String_cl()}};

    const String_cl folder = ProjectFolder(project);
    auto path = [&](const wchar_t* name, bool isFolder) { return MsbuildPath(Value(msbuild, name), folder, toWindows, isFolder); };
    std::vector<Check_st> checks{{L"configuration", true, true, L"read", L"declared", String_cl()}};

    const String_cl configurationType = Value(msbuild, L"ConfigurationType");
    const Type_en type = MsbuildType(configurationType);
    Check_st typeCheck = Compared(L"type", TypeName(RecordedType(*entry)), TypeName(type));
    if (type == Type_en::None) typeCheck.msbuild += L": " + configurationType;
    checks.push_back(typeCheck);
    checks.push_back(Compared(L"OutDir", entry->outputFolder, path(L"OutDir", true)));
    checks.push_back(Compared(L"IntDir", entry->intermediateFolder, path(L"IntDir", true)));

    if (type == Type_en::None) {
        for (const wchar_t* field : {L"target name", L"output file", L"import library", L"program database"})
            checks.push_back(NotApplicable(field, L"no linker or librarian"));
        checks.push_back(ComparedSets(L"libraries", entry->libraries, {}));
    } else {
        const bool library = type == Type_en::Library;
        const String_cl outputFile = path(library ? L"Lib.OutputFile" : L"Link.OutputFile", false);
        const String_cl targetName = Value(msbuild, L"TargetName");
        if (Base_ns::EqualsNoCase(TitleOf(outputFile), targetName))
            checks.push_back(Compared(L"target name", TitleOf(entry->outputFile), targetName));
        else
            checks.push_back(NotApplicable(L"target name", L"the output file is not named after TargetName"));
        checks.push_back(Compared(L"output file", entry->outputFile, outputFile));
        if (type == Type_en::Dll)
            checks.push_back(Compared(L"import library", entry->importLibrary, path(L"Link.ImportLibrary", false)));
        else
            checks.push_back(NotApplicable(L"import library", L"not a DLL"));
        if (library)
            checks.push_back(NotApplicable(L"program database", L"a static library"));
        else
            checks.push_back(
                Compared(L"program database", entry->programDatabase, path(L"Link.ProgramDatabaseFile", false)));
        std::vector<String_cl> libraries;
        for (const String_cl& item : Items(Value(msbuild, library ? L"Lib.AdditionalDependencies" : L"Link.AdditionalDependencies")))
            libraries.push_back(NameOf(item));
        checks.push_back(ComparedSets(L"libraries", entry->libraries, libraries));
    }

    std::vector<String_cl> references;
    for (const String_cl& item : Items(Value(msbuild, L"ProjectReference")))
        references.push_back(MsbuildPath(item, folder, toWindows, false));
    checks.push_back(ComparedSets(L"references", project.references, references));
    return checks;
}

Check_st CompareConfigurationNames(const std::vector<String_cl>& msbuildNames, const Project_st& project)
{
    std::vector<String_cl> recorded;
    for (const auto& [key, entry] : project.configurations) recorded.push_back(key);
    // The record keeps its keys upper-cased.
    return ComparedSets(L"configurations", recorded, msbuildNames);
}

} // namespace Oracle_ns
