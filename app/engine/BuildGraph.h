#pragma once
// Which rows of a plan need which: row A needs row B when A's project links
// the library B's project produces in A's configuration, as A's project file
// names it (the linker's and the librarian's "AdditionalDependencies") or as
// an earlier failed link taught (LearnedLinkPack_cl); matched by file name
// ignoring case, as the link-failure analysis matches them. Also which rows
// must not build at the same time: those whose project files share a folder
// or whose output or intermediate folders coincide, since their temporary
// project files, objects and program databases would collide.
//
// Rows are named by their serial numbers; only rows with a configuration
// (those that can be built) take part.
#include <cstdint>
#include <map>
#include <vector>
#include "app/engine/LearnedLinkPack.h"
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

struct GraphEdge_st {
    uint32_t from = 0;  // the row that links
    uint32_t to = 0;    // the row whose library it links
    String_cl library;
    bool learned = false;  // known only from a failed link, not from the project file
};

class BuildGraph_cl {
public:
    BuildGraph_cl(const MProjectPack_cl& rows, const ProjectPack_cl& projects, const LearnedLinkPack_cl& links);

    // The rows that row needs.
    const std::vector<uint32_t>& Needs(uint32_t row) const;
    // Every edge, once per pair of rows, in the order found.
    const std::vector<GraphEdge_st>& Edges() const { return m_edges; }
    // Whether the two rows share a folder their builds write to.
    bool Collide(uint32_t a, uint32_t b) const;
    // Whether row reads library in its project file.
    bool Names(uint32_t row, const String_cl& library) const;
    // Records that from needs to (a link taught it); nothing when known.
    void Add(uint32_t from, uint32_t to, const String_cl& library, bool learned);

private:
    struct Node_st {
        std::vector<String_cl> libraries;  // as the project file names them
        std::vector<String_cl> folders;    // upper-cased: project, output, intermediate
        std::vector<uint32_t> needs;       // the rows of its edges, as Needs gives them
    };
    std::map<uint32_t, Node_st> m_nodes;
    std::vector<GraphEdge_st> m_edges;
};

// The graph in Graphviz DOT: one node per row in row order, labelled with
// the project's name and configuration, an edge from each row to each row it
// needs, labelled with the library; learned edges dashed.
String_cl GraphDotText(const String_cl& title, const MProjectPack_cl& rows, const BuildGraph_cl& graph);

} // namespace Quorvane_ns
