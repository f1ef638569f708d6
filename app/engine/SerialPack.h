#pragma once
// The remembered build order: one ordered list of project file paths shared
// by every plan. Rows of a plan are arranged by the order numbers of their
// entries, and the build engine moves entries when it learns that one project
// needs another's library, so the order improves from run to run and is kept
// in the data file.
#include <cstdint>
#include "common/base/Error.h"
#include "common/base/FileIdentity.h"
#include "common/base/String.h"
#include "common/container/CommonContainer.h"
#include "common/container/DList.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct Serial_st {
    String_cl path;     // project file path, as first registered; kept in the data file
    int32_t order = 0;  // 1 for the first entry after each renumbering
    // The file path names, taken when the entry is first compared; not kept
    // in the data file. Two entries never name one file.
    Base_ns::FileIdentity_st identity;
};

class SerialId_cl : public Container_ns::DList_tl<Serial_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<Serial_st>::Identifier_cl;
    SerialId_cl() = default;
    SerialId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"SerialId_cl"; }
};

class SerialPack_cl
    : public Container_ns::CommonContainer_tl<Container_ns::DList_tl<Serial_st>, Serial_st> {
public:
    using Persistent_cl = Container_ns::CommonContainer_tl<Container_ns::DList_tl<Serial_st>, Serial_st>;

    // Maps one entry to one child element with the attribute "路径"; the order
    // number is not stored, it follows from the element order.
    class StorageProcess_cl : public Persistent_cl::XMLStorageProcess_cl {
    public:
        String_cl ElementName() override;
        void WriteItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                       const Serial_st& item) override;
        int32_t ReadItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                         Serial_st& item) override;
        const wchar_t* ClassName() const override { return L"StorageProcess_cl"; }
    };

    SerialPack_cl() = default;
    ~SerialPack_cl() override;

    Serial_st* NewData() override;
    void DeleteData(Serial_st* data) override;
    const wchar_t* ClassName() const override { return L"SerialPack_cl"; }

    // The entry of the file path names (however either is spelt), else a new
    // one at the end. identity, when the caller has it, is path's.
    SerialId_cl Register(const String_cl& path);
    SerialId_cl Register(const String_cl& path, const Base_ns::FileIdentity_st& identity);
    // Relinks entry right before target, then renumbers from entry to the end.
    void MoveBefore(const SerialId_cl& entry, const SerialId_cl& target);
    // The text between the last "\" and the last "." of the entry's path;
    // system error 1 when the path has no such part.
    String_cl ProjectName(const SerialId_cl& entry) const;

    void SaveSequence(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
    // Replaces the entries by those stored under parent, dropping paths that
    // are not project files; a failed load leaves the sequence empty.
    void LoadSequence(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
    // One path per line, UTF-16LE with its mark.
    void ExportSequence(const String_cl& path);
    // Reads and checks every line before touching the sequence (user error 101);
    // then the sequence takes the file's order.
    void ImportSequence(const String_cl& path);

    // Sets the order numbers 1, 2, 3, ... in list order.
    void Renumber();

    Base_ns::SysError_cl SysError(int32_t code, int32_t line, const String_cl& note) const;
    Base_ns::UserError_cl UserError(int32_t code, int32_t line, const String_cl& note) const;
};

} // namespace Quorvane_ns
