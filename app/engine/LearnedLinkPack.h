#pragma once
// The libraries a project turned out to link without naming them in its
// project file (through a property sheet, a #pragma comment(lib)): learned
// from the linker's "cannot open" lines and kept in the data file, so that
// the dependency graph of later runs knows them before anything is built.
//
// The data file keeps them in an element of its own under the root
// ("依赖"), after the sequence and the plans, written only when there is
// something learned; the links of a project that no plan holds any more are
// left out. A version of the program that does not know the
// element loads the file all the same (it reads only its own two elements)
// and drops the element when it saves.
#include <cstdint>
#include <set>
#include <vector>
#include "common/base/FileIdentity.h"
#include "common/base/String.h"
#include "common/container/CommonContainer.h"
#include "common/container/DList.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct LearnedLink_st {
    String_cl path;           // the linking project's file, compared as the file it names
    String_cl configuration;  // in which configuration, compared ignoring case
    String_cl library;        // file name of the library it links, compared ignoring case
    // The file path names, taken when first compared; not kept in the data file.
    Base_ns::FileIdentity_st identity;
};

class LearnedLinkId_cl : public Container_ns::DList_tl<LearnedLink_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<LearnedLink_st>::Identifier_cl;
    LearnedLinkId_cl() = default;
    LearnedLinkId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"LearnedLinkId_cl"; }
};

class LearnedLinkPack_cl
    : public Container_ns::CommonContainer_tl<Container_ns::DList_tl<LearnedLink_st>, LearnedLink_st> {
public:
    using Persistent_cl = Container_ns::CommonContainer_tl<Container_ns::DList_tl<LearnedLink_st>, LearnedLink_st>;

    // One link per child element, attributes "路径", "编译方式" and "库".
    class StorageProcess_cl : public Persistent_cl::XMLStorageProcess_cl {
    public:
        String_cl ElementName() override;
        void WriteItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                       const LearnedLink_st& item) override;
        int32_t ReadItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                         LearnedLink_st& item) override;
        const wchar_t* ClassName() const override { return L"LearnedLinkPack_cl::StorageProcess_cl"; }
    };

    LearnedLinkPack_cl() = default;
    ~LearnedLinkPack_cl() override;

    LearnedLink_st* NewData() override;
    void DeleteData(LearnedLink_st* data) override;
    const wchar_t* ClassName() const override { return L"LearnedLinkPack_cl"; }

    // Remembers that the project links library in configuration; false when
    // that was known already.
    bool Learn(const String_cl& path, const String_cl& configuration, const String_cl& library);
    // The libraries learned for the project in configuration, in the order
    // learned, whatever spelling of its file they were learned under.
    std::vector<String_cl> Libraries(const String_cl& path, const String_cl& configuration) const;
    std::vector<String_cl> Libraries(const Base_ns::FileIdentity_st& project, const String_cl& configuration) const;

    void SaveLinks(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
    // Replaces the links by those stored under parent; none when the element
    // is missing (a file of an earlier version). An entry that lacks one of
    // its values is dropped, not refused; returns how many were.
    int LoadLinks(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
};

} // namespace Quorvane_ns
