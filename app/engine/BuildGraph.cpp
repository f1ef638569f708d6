#include "app/engine/BuildGraph.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {

namespace {

// A text for the inside of a DOT string.
String_cl DotEscaped(const String_cl& text)
{
    String_cl out;
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') out += L'\\';
        if (c == L'\r' || c == L'\n') c = L' ';
        out += c;
    }
    return out;
}

String_cl DotQuoted(const String_cl& text) { return L"\"" + DotEscaped(text) + L"\""; }

} // namespace

BuildGraph_cl::BuildGraph_cl(const MProjectPack_cl& rows, const ProjectPack_cl& projects,
                             const LearnedLinkPack_cl& links, const std::vector<DeclaredDependency_st>& declared)
{
    // Who produces what, by upper-cased file name; several rows may (a
    // "core.lib" in two solutions), and a consumer then waits for each. Which
    // rows stand for a project file: one per configuration the plan builds
    // it in.
    Base_ns::IdentityScope_cl scope;
    std::map<String_cl, std::vector<uint32_t>> producers;
    // The rows that stand for each project file.
    Base_ns::FileIndex_tl<uint32_t> rowsOfFile;
    std::vector<std::pair<uint32_t, std::vector<String_cl>>> learned;
    std::vector<std::pair<uint32_t, const std::vector<String_cl>*>> references;
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next()) {
        if (row->configuration.IsEmpty()) continue;
        const uint32_t serial = row.Serial();
        Node_st& node = m_nodes[serial];
        Project_st& project = *row->project;
        node.projectFile = Base_ns::CachedIdentity(project.identity, project.path);
        if (const ConfigEntry_st* entry = projects.Entry(row->project, row->configuration)) {
            node.libraries = entry->libraries;
            if (!entry->intermediateFolder.IsEmpty()) node.intermediateFolder = Base_ns::IdentityOf(entry->intermediateFolder);
            for (const String_cl* file :
                 {&entry->outputFile, &entry->importLibrary, &entry->programDatabase, &entry->compilerDatabase})
                if (!file->IsEmpty()) node.written.push_back(Base_ns::IdentityOf(*file));
            // A DLL is linked by its import library, whatever name the row
            // is known by ("core.dll" for a 2008 DLL that names none).
            const String_cl import = Base_ns::ToUpper(Base_ns::GetFileName(entry->importLibrary));
            if (!import.IsEmpty() && import != Base_ns::ToUpper(row->output)) producers[import].push_back(serial);
        } else {
            // Built although its project file was not read whole: what it
            // writes is not known, so it meets every other build. (A row
            // whose file could not be read at all is never built.)
            node.unknownFiles = row->project->unreadable.empty();
        }
        if (!row->output.IsEmpty()) producers[Base_ns::ToUpper(row->output)].push_back(serial);
        rowsOfFile.Add(node.projectFile, serial);
        learned.emplace_back(serial, links.Libraries(node.projectFile, row->configuration));
        references.emplace_back(serial, &row->project->references);
    }
    for (const auto& [serial, node] : m_nodes) {
        for (const String_cl& library : node.libraries) {
            auto p = producers.find(Base_ns::ToUpper(library));
            if (p == producers.end()) continue;
            for (uint32_t to : p->second)
                if (to != serial) Add(serial, to, library, EdgeKind_en::Named);
        }
    }
    auto declare = [&](uint32_t from, const String_cl& toFile) {
        for (uint32_t t : rowsOfFile.Find(Base_ns::IdentityOf(toFile)))
            if (t != from) Add(from, t, String_cl(), EdgeKind_en::Declared);
    };
    for (const auto& [serial, files] : references)
        for (const String_cl& file : *files) declare(serial, file);
    for (const DeclaredDependency_st& d : declared)
        for (uint32_t f : rowsOfFile.Find(Base_ns::IdentityOf(d.from))) declare(f, d.to);
    for (const auto& [serial, libraries] : learned) {
        for (const String_cl& library : libraries) {
            auto p = producers.find(Base_ns::ToUpper(library));
            if (p == producers.end()) continue;
            for (uint32_t to : p->second)
                if (to != serial) Add(serial, to, library, EdgeKind_en::Learned);
        }
    }
}

const std::vector<uint32_t>& BuildGraph_cl::Needs(uint32_t row) const
{
    static const std::vector<uint32_t> none;
    auto node = m_nodes.find(row);
    return node == m_nodes.end() ? none : node->second.needs;
}

bool BuildGraph_cl::Meet(const Node_st& a, const Node_st& b)
{
    if (a.unknownFiles || b.unknownFiles || a.projectFile.Same(b.projectFile)) return true;
    if (!a.intermediateFolder.Empty() && a.intermediateFolder.Same(b.intermediateFolder)) return true;
    for (const Base_ns::FileIdentity_st& f : a.written) {
        if (f.Inside(b.intermediateFolder)) return true;
        for (const Base_ns::FileIdentity_st& g : b.written)
            if (f.Same(g)) return true;
    }
    return false;
}

bool BuildGraph_cl::Collide(uint32_t a, uint32_t b) const
{
    auto na = m_nodes.find(a), nb = m_nodes.find(b);
    if (na == m_nodes.end() || nb == m_nodes.end()) return false;
    return Meet(na->second, nb->second) || Meet(nb->second, na->second);
}

bool BuildGraph_cl::Names(uint32_t row, const String_cl& library) const
{
    auto node = m_nodes.find(row);
    if (node == m_nodes.end()) return false;
    for (const String_cl& l : node->second.libraries)
        if (Base_ns::EqualsNoCase(l, library)) return true;
    return false;
}

void BuildGraph_cl::Add(uint32_t from, uint32_t to, const String_cl& library, EdgeKind_en kind)
{
    std::vector<uint32_t>& needs = m_nodes[from].needs;
    for (uint32_t n : needs)
        if (n == to) return;
    needs.push_back(to);
    GraphEdge_st edge;
    edge.from = from;
    edge.to = to;
    edge.library = library;
    edge.kind = kind;
    m_edges.push_back(edge);
}

String_cl GraphDotText(const String_cl& title, const MProjectPack_cl& rows, const BuildGraph_cl& graph)
{
    String_cl text = L"digraph " + DotQuoted(title) + L" {\r\n";
    text += L"  // A -> B: A links the library B produces; dashed: learned from a failed link;\r\n"
            L"  // dotted: declared (ProjectReference, or the solution's ProjectDependencies).\r\n";
    text += L"  node [shape=box];\r\n";
    std::map<uint32_t, String_cl> names;
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next()) {
        if (row->configuration.IsEmpty()) continue;
        const String_cl id = L"r" + String_cl::FromUnsigned(row.Serial());
        names[row.Serial()] = id;
        text += L"  " + id + L" [label=\"" + DotEscaped(row->project->name) + L"\\n" + DotEscaped(row->configuration) + L"\"" +
                L", tooltip=" + DotQuoted(row->project->path) + L"];\r\n";
    }
    for (const GraphEdge_st& e : graph.Edges()) {
        text += L"  " + names[e.from] + L" -> " + names[e.to] + L" [label=" + DotQuoted(e.library);
        if (e.kind == EdgeKind_en::Learned) text += L", style=dashed";
        if (e.kind == EdgeKind_en::Declared) text += L", style=dotted";
        text += L"];\r\n";
    }
    return text + L"}\r\n";
}

} // namespace Quorvane_ns
