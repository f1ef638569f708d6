#pragma once
// Which rows of a plan need which, and which must not build at the same time.
//
// Row A needs row B when
// - A's project links the library B's project produces in A's configuration
//   (its output, or the import library beside its DLL), as A's project file
//   names it (the linker's and the librarian's
//   "AdditionalDependencies"), matched by file name ignoring case, as the
//   link-failure analysis matches them;
// - A's project declares B's project: its project file's ProjectReference,
//   or a solution's ProjectDependencies section (given to the constructor);
// - an earlier failed link of A taught it (LearnedLinkPack_cl).
//
// Two rows collide (must not build at once) when their builds would meet in
// one file:
// - they are the same project file (two configurations of it: one log, one
//   project file renamed for the build);
// - their intermediate folders are one (objects, the compiler's program
//   database, the build log);
// - a file one writes (output, import library, either program database) is
//   a file the other writes, or lies in the other's intermediate folder,
//   which the other's rebuild empties.
// - one of them is built without an entry in the project store (its project
//   file was not read whole): what it writes is not known.
// Sharing a project folder or an output folder is safe when the files
// differ. Files are compared as the file system knows them
// (FileIdentity_st): two spellings of one file or folder are one.
//
// Rows are named by their serial numbers; only rows with a configuration
// (those that can be built) take part.
#include <cstdint>
#include <map>
#include <vector>
#include "app/engine/LearnedLinkPack.h"
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

// A dependency a solution declares: the project file from needs the project
// file to, both full paths.
struct DeclaredDependency_st {
    String_cl from;
    String_cl to;
};

enum class EdgeKind_en { Named, Declared, Learned };

struct GraphEdge_st {
    uint32_t from = 0;  // the row that needs
    uint32_t to = 0;    // the row it needs
    String_cl library;  // empty for a declared edge
    EdgeKind_en kind = EdgeKind_en::Named;
};

class BuildGraph_cl {
public:
    BuildGraph_cl(const MProjectPack_cl& rows, const ProjectPack_cl& projects, const LearnedLinkPack_cl& links,
                  const std::vector<DeclaredDependency_st>& declared = {});

    // The rows that row needs.
    const std::vector<uint32_t>& Needs(uint32_t row) const;
    // Every edge, once per pair of rows, in the order found.
    const std::vector<GraphEdge_st>& Edges() const { return m_edges; }
    // Whether the two rows' builds would meet in a file (above).
    bool Collide(uint32_t a, uint32_t b) const;
    // Whether row reads library in its project file.
    bool Names(uint32_t row, const String_cl& library) const;
    // Records that from needs to (a link taught it); nothing when known.
    void Add(uint32_t from, uint32_t to, const String_cl& library, EdgeKind_en kind);

private:
    struct Node_st {
        std::vector<String_cl> libraries;  // as the project file names them
        Base_ns::FileIdentity_st projectFile;
        Base_ns::FileIdentity_st intermediateFolder;  // empty when unknown
        std::vector<Base_ns::FileIdentity_st> written;  // files the build writes
        std::vector<uint32_t> needs;       // the rows of its edges, as Needs gives them
        bool unknownFiles = false;         // the project store has no entry for its configuration
    };
    static bool Meet(const Node_st& a, const Node_st& b);

    std::map<uint32_t, Node_st> m_nodes;
    std::vector<GraphEdge_st> m_edges;
};

// The graph in Graphviz DOT: one node per row in row order, labelled with
// the project's name and configuration, an edge from each row to each row it
// needs, labelled with the library; learned edges dashed, declared dotted.
String_cl GraphDotText(const String_cl& title, const MProjectPack_cl& rows, const BuildGraph_cl& graph);

} // namespace Quorvane_ns
