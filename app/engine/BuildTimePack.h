#pragma once
// How long each project took to build, per configuration: the weights by
// which the side-by-side walk starts the longest chain first, and from which
// the time left is estimated. Kept in the data file.
//
// The data file keeps them in an element of their own under the root
// ("耗时"), written only when something is kept, as the learned links are:
// a version of the program that does not know the element loads the file
// all the same (it reads only its own elements) and drops it when it saves.
#include <cstdint>
#include <map>
#include <vector>
#include "common/base/String.h"
#include "common/container/CommonContainer.h"
#include "common/container/DList.h"
#include "common/io/XMLFile.h"
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct BuildTime_st {
    String_cl path;           // the project file, compared ignoring case
    String_cl configuration;  // compared ignoring case
    int32_t milliseconds = 0; // of its last build; negative when unknown
};

class BuildTimeId_cl : public Container_ns::DList_tl<BuildTime_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<BuildTime_st>::Identifier_cl;
    BuildTimeId_cl() = default;
    BuildTimeId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"BuildTimeId_cl"; }
};

class BuildTimePack_cl
    : public Container_ns::CommonContainer_tl<Container_ns::DList_tl<BuildTime_st>, BuildTime_st> {
public:
    using Persistent_cl = Container_ns::CommonContainer_tl<Container_ns::DList_tl<BuildTime_st>, BuildTime_st>;

    // One time per child element, attributes "路径", "编译方式" and "毫秒".
    class StorageProcess_cl : public Persistent_cl::XMLStorageProcess_cl {
    public:
        String_cl ElementName() override;
        void WriteItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                       const BuildTime_st& item) override;
        int32_t ReadItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                         BuildTime_st& item) override;
        const wchar_t* ClassName() const override { return L"BuildTimePack_cl::StorageProcess_cl"; }
    };

    BuildTimePack_cl() = default;
    ~BuildTimePack_cl() override;

    BuildTime_st* NewData() override;
    void DeleteData(BuildTime_st* data) override;
    const wchar_t* ClassName() const override { return L"BuildTimePack_cl"; }

    // The project's last build in configuration took seconds.
    void Record(const String_cl& path, const String_cl& configuration, double seconds);
    // The seconds recorded; a negative number when none.
    double Seconds(const String_cl& path, const String_cl& configuration) const;

    void SaveTimes(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
    // Replaces the times by those stored under parent; none when the element
    // is missing (a file of an earlier version). Entries that lack a value or
    // whose milliseconds are not a plain decimal number are dropped; returns
    // how many.
    int LoadTimes(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
};

// The seconds each of a walk's rows (by serial) is expected to take: its
// last build's, or, for a row never built, the average of the times known,
// or 1 when none is. As the walk's builds end, their times become known too.
class RowWeights_cl {
public:
    RowWeights_cl(const MProjectPack_cl& rows, const std::vector<uint32_t>& serials, const BuildTimePack_cl& times);

    double Of(uint32_t row) const;
    // Whether any time is known: without one the weights only rank the rows,
    // and say nothing of how long the walk takes.
    bool AnyKnown() const { return m_count > 0; }
    // A build of row took seconds, its whole build in the walk.
    void Took(uint32_t row, double seconds);

private:
    std::map<uint32_t, double> m_known;
    double m_sum = 0;
    int m_count = 0;
};

} // namespace Quorvane_ns
