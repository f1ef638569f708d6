#include "app/engine/BuildGraph.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {

namespace {

bool Contains(const std::vector<String_cl>& upperTexts, const String_cl& text)
{
    const String_cl upper = Base_ns::ToUpper(text);
    for (const String_cl& t : upperTexts)
        if (t == upper) return true;
    return false;
}

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
                             const LearnedLinkPack_cl& links)
{
    // Who produces what, by upper-cased file name; several rows may (a
    // "core.lib" in two solutions), and a consumer then waits for each.
    std::map<String_cl, std::vector<uint32_t>> producers;
    std::vector<std::pair<uint32_t, std::vector<String_cl>>> learned;
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next()) {
        if (row->configuration.IsEmpty()) continue;
        const uint32_t serial = row.Serial();
        Node_st& node = m_nodes[serial];
        node.folders.push_back(Base_ns::ToUpper(GetFileDirectory(row->project->path, true)));
        if (const ConfigEntry_st* entry = projects.Entry(row->project, row->configuration)) {
            node.libraries = entry->libraries;
            for (const String_cl* folder : {&entry->outputFolder, &entry->intermediateFolder})
                if (!folder->IsEmpty() && !Contains(node.folders, *folder))
                    node.folders.push_back(Base_ns::ToUpper(*folder));
        }
        if (!row->output.IsEmpty()) producers[Base_ns::ToUpper(row->output)].push_back(serial);
        learned.emplace_back(serial, links.Libraries(row->project->path, row->configuration));
    }
    for (const auto& [serial, node] : m_nodes) {
        for (const String_cl& library : node.libraries) {
            auto p = producers.find(Base_ns::ToUpper(library));
            if (p == producers.end()) continue;
            for (uint32_t to : p->second)
                if (to != serial) Add(serial, to, library, false);
        }
    }
    for (const auto& [serial, libraries] : learned) {
        for (const String_cl& library : libraries) {
            auto p = producers.find(Base_ns::ToUpper(library));
            if (p == producers.end()) continue;
            for (uint32_t to : p->second)
                if (to != serial) Add(serial, to, library, true);
        }
    }
}

const std::vector<uint32_t>& BuildGraph_cl::Needs(uint32_t row) const
{
    static const std::vector<uint32_t> none;
    auto node = m_nodes.find(row);
    return node == m_nodes.end() ? none : node->second.needs;
}

bool BuildGraph_cl::Collide(uint32_t a, uint32_t b) const
{
    auto na = m_nodes.find(a), nb = m_nodes.find(b);
    if (na == m_nodes.end() || nb == m_nodes.end()) return false;
    for (const String_cl& f : na->second.folders)
        for (const String_cl& g : nb->second.folders)
            if (f == g) return true;
    return false;
}

bool BuildGraph_cl::Names(uint32_t row, const String_cl& library) const
{
    auto node = m_nodes.find(row);
    if (node == m_nodes.end()) return false;
    for (const String_cl& l : node->second.libraries)
        if (Base_ns::EqualsNoCase(l, library)) return true;
    return false;
}

void BuildGraph_cl::Add(uint32_t from, uint32_t to, const String_cl& library, bool learned)
{
    std::vector<uint32_t>& needs = m_nodes[from].needs;
    for (uint32_t n : needs)
        if (n == to) return;
    needs.push_back(to);
    GraphEdge_st edge;
    edge.from = from;
    edge.to = to;
    edge.library = library;
    edge.learned = learned;
    m_edges.push_back(edge);
}

String_cl GraphDotText(const String_cl& title, const MProjectPack_cl& rows, const BuildGraph_cl& graph)
{
    String_cl text = L"digraph " + DotQuoted(title) + L" {\r\n";
    text += L"  // A -> B: A links the library B produces; dashed: learned from a failed link.\r\n";
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
        if (e.learned) text += L", style=dashed";
        text += L"];\r\n";
    }
    return text + L"}\r\n";
}

} // namespace Quorvane_ns
