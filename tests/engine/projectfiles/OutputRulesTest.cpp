// The one set of rules that decides, for both formats, what a
// configuration produces from its evaluated settings.
#include <gtest/gtest.h>
#include <functional>
#include "app/engine/projectfiles/OutputRules.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

std::string U8(const String_cl& text) { return text.ToUtf8(); }

// "output|outputFile|importLibrary|programDatabase|compilerDatabase|folders|libraries|unknowns",
// the project's folder C:\p\ written as "~".
std::string Shown(const ConfigEntry_st& e)
{
    String_cl t = e.output + L"|" + e.outputFile + L"|" + e.importLibrary + L"|" + e.programDatabase + L"|" +
                  e.compilerDatabase + L"|" + e.outputFolder + L" " + e.intermediateFolder + L"|";
    for (const String_cl& l : e.libraries) t += l + L" ";
    t += L"|" + String_cl::FromInt(static_cast<long long>(e.unknowns.size()));
    t.ReplaceAll(L"C:\\p\\", L"~");
    return U8(t);
}

// A program, DLL or library of each era as its reader hands it over:
// folders, the tools' outputs with the builder's defaults, the libraries.
ConfigurationSettings_st Settings(OutputKind_en kind, bool projectEngine = false)
{
    ConfigurationSettings_st s;
    s.projectFolder = L"C:\\p\\";
    s.kind = kind;
    s.knownByNamedImportLibraryOnly = projectEngine;
    s.outDir = L"..\\bin\\";
    s.intDir = L"obj";
    s.linkerOutput = L"..\\bin\\core.dll";
    s.librarianOutput = L"..\\lib\\core.lib";
    s.importLibrary = String_cl();
    s.programDatabase = L"..\\bin\\core.pdb";
    s.compilerDatabase = L"obj\\";
    s.compilerDatabaseName = L"vc143.pdb";
    s.linkerLibraries = L"zlib.lib;\"C:\\sdk x\\ws2_32.lib\"";
    s.librarianLibraries = L"extra.lib";
    return s;
}

struct RuleCase_st {
    const char* what;
    std::function<void(ConfigurationSettings_st&)> change;
    OutputKind_en kind;
    bool projectEngine;
    const char* expected;
};

TEST(OutputRulesTest, OneSetOfRulesForBothFormats)
{
    using K = OutputKind_en;
    const RuleCase_st cases[] = {
        {"a DLL is known by its import library, the linker's default beside it", nullptr, K::DynamicLibrary, false,
         "core.lib|C:\\bin\\core.dll|C:\\bin\\core.lib|C:\\bin\\core.pdb|~obj\\vc143.pdb|C:\\bin\\ ~obj\\|zlib.lib ws2_32.lib |0"},
        {"a DLL's import library as the linker names it",
         [](ConfigurationSettings_st& s) { s.importLibrary = L"C:\\lib\\core_imp.lib"; }, K::DynamicLibrary, false,
         "core_imp.lib|C:\\bin\\core.dll|C:\\lib\\core_imp.lib|C:\\bin\\core.pdb|~obj\\vc143.pdb|C:\\bin\\ ~obj\\|zlib.lib ws2_32.lib |0"},
        {"a DLL whose import library is not known is not matched by a guess",
         [](ConfigurationSettings_st& s) {
             s.importLibrary.reset();
             s.unknowns = {L"why"};
         },
         K::DynamicLibrary, false, "|C:\\bin\\core.dll||C:\\bin\\core.pdb|~obj\\vc143.pdb|C:\\bin\\ ~obj\\|zlib.lib ws2_32.lib |1"},
        {"a program is known by its output, whatever import library it names",
         [](ConfigurationSettings_st& s) {
             s.linkerOutput = L"..\\bin\\core.exe";
             s.importLibrary = L"..\\bin\\core.lib";
         },
         K::Program, false, "core.exe|C:\\bin\\core.exe||C:\\bin\\core.pdb|~obj\\vc143.pdb|C:\\bin\\ ~obj\\|zlib.lib ws2_32.lib |0"},
        {"a static library is the librarian's, links its libraries, has no program database", nullptr, K::StaticLibrary, false,
         "core.lib|C:\\lib\\core.lib|||~obj\\vc143.pdb|C:\\bin\\ ~obj\\|extra.lib |0"},
        {"a utility builds, writes its folders and nothing to link", nullptr, K::Nothing, false,
         "||||~obj\\vc143.pdb|C:\\bin\\ ~obj\\||0"},
        {"a type not known gives nothing to link, and says why",
         [](ConfigurationSettings_st& s) {
             s.kind.reset();
             s.unknowns = {L"why"};
         },
         K::Program, false, "||||~obj\\vc143.pdb|C:\\bin\\ ~obj\\||1"},
        {"a folder not known stays empty, the rest is read",
         [](ConfigurationSettings_st& s) { s.outDir.reset(); }, K::StaticLibrary, false,
         "core.lib|C:\\lib\\core.lib|||~obj\\vc143.pdb| ~obj\\|extra.lib |0"},
        {"the compiler's database named as a file",
         [](ConfigurationSettings_st& s) { s.compilerDatabase = L"C:/out/core.pdb"; }, K::StaticLibrary, false,
         "core.lib|C:\\lib\\core.lib|||C:\\out\\core.pdb|C:\\bin\\ ~obj\\|extra.lib |0"},
        {"a 2008 DLL without an import library is known by its output, the default import library beside it", nullptr,
         K::DynamicLibrary, true,
         "core.dll|C:\\bin\\core.dll|C:\\bin\\core.lib|C:\\bin\\core.pdb|~obj\\vc143.pdb|C:\\bin\\ ~obj\\|zlib.lib ws2_32.lib |0"},
        {"a 2008 program whose linker names an import library is known by it",
         [](ConfigurationSettings_st& s) {
             s.linkerOutput = L"..\\bin\\core.exe";
             s.importLibrary = L"..\\lib\\core.lib";
         },
         K::Program, true, "core.lib|C:\\bin\\core.exe|C:\\lib\\core.lib|C:\\bin\\core.pdb|~obj\\vc143.pdb|C:\\bin\\ ~obj\\|zlib.lib ws2_32.lib |0"},
        {"a 2008 configuration whose librarian names the output first is the librarian's",
         [](ConfigurationSettings_st& s) { s.producer = Producer_en::Librarian; }, K::DynamicLibrary, true,
         "core.lib|C:\\lib\\core.lib|||~obj\\vc143.pdb|C:\\bin\\ ~obj\\|extra.lib |0"},
        {"no program database where the linker writes none",
         [](ConfigurationSettings_st& s) { s.programDatabase = String_cl(); }, K::Program, false,
         "core.dll|C:\\bin\\core.dll|||~obj\\vc143.pdb|C:\\bin\\ ~obj\\|zlib.lib ws2_32.lib |0"},
    };
    for (const RuleCase_st& c : cases) {
        ConfigurationSettings_st s = Settings(c.kind, c.projectEngine);
        if (c.change) c.change(s);
        EXPECT_EQ(c.expected, Shown(DecideOutputs(s))) << c.what;
    }
}

} // namespace
