#include "app/engine/projectfiles/OutputRules.h"
#include "app/ProgramPlaces.h"
#include "app/engine/projectfiles/ProjectFileText.h"

namespace Quorvane_ns {

namespace {

bool EndsInSeparator(const String_cl& path) { return !path.empty() && (path.back() == L'\\' || path.back() == L'/'); }

} // namespace

ConfigEntry_st DecideOutputs(const ConfigurationSettings_st& s)
{
    ConfigEntry_st entry;
    entry.unknowns = s.unknowns;
    const String_cl& folder = s.projectFolder;
    if (s.outDir) entry.outputFolder = FullPathIn(folder, *s.outDir, true);
    if (s.intDir) entry.intermediateFolder = FullPathIn(folder, *s.intDir, true);
    // Every type compiles.
    if (s.compilerDatabase) {
        String_cl compiler = *s.compilerDatabase;
        if (compiler.empty() || EndsInSeparator(compiler)) compiler += s.compilerDatabaseName;
        entry.compilerDatabase = FullPathIn(folder, compiler, false);
    }
    if (!s.kind || *s.kind == OutputKind_en::Nothing) return entry;

    const Producer_en producer = s.producer != Producer_en::ByKind ? s.producer
                                 : *s.kind == OutputKind_en::StaticLibrary ? Producer_en::Librarian
                                                                            : Producer_en::Linker;
    const bool linked = producer == Producer_en::Linker;
    const std::optional<String_cl>& output = linked ? s.linkerOutput : s.librarianOutput;
    if (!output || output->empty()) return entry;
    entry.outputFile = FullPathIn(folder, *output, false);
    entry.output = GetFileName(entry.outputFile);
    if (const std::optional<String_cl>& libraries = linked ? s.linkerLibraries : s.librarianLibraries)
        for (const String_cl& word : DependencyWords(*libraries)) AddLibraryName(entry.libraries, word);
    if (!linked) return entry;

    if (s.programDatabase && !s.programDatabase->empty()) entry.programDatabase = FullPathIn(folder, *s.programDatabase, false);
    if (!s.importLibrary) {
        // What consumers link is not known; neither is the name to match.
        if (*s.kind == OutputKind_en::DynamicLibrary && !s.knownByNamedImportLibraryOnly) entry.output.clear();
        return entry;
    }
    const bool named = !s.importLibrary->empty();
    if (*s.kind != OutputKind_en::DynamicLibrary && !(named && s.knownByNamedImportLibraryOnly)) return entry;
    entry.importLibrary = named ? FullPathIn(folder, *s.importLibrary, false) : ReplaceExtension(entry.outputFile, L"lib");
    // Consumers link the import library, so that is what a failed link names.
    if (named || !s.knownByNamedImportLibraryOnly) entry.output = GetFileName(entry.importLibrary);
    return entry;
}

} // namespace Quorvane_ns
