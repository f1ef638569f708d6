#pragma once
// Persistence of a container in an XML document: one element for the
// container, one child element per record, written and read through a small
// adaptor that knows the element names and how a record maps to attributes.
// The container element may carry a version ("版本") so that a later record
// format can refuse files it cannot read; version 1 is never written.
#include <cstdint>
#include <iterator>
#include "common/base/Error.h"
#include "common/base/String.h"
#include "common/io/XMLFile.h"

namespace Container_ns {

namespace CommonContainerDetail_ns {

inline constexpr const wchar_t* kSource = L"Common\\Tools\\v1.2.0\\Container\\CommonContainer";
inline constexpr const wchar_t* kVersionAttribute = L"版本";

inline constexpr Base_ns::ErrorEntry_st kReadErrors[] = {
    {101, L"读取XML文件失败，因为数据类型不正确。"},
    {102, L"读取XML文件失败，因为没有版本号。"},
    {103, L"软件版本太低，无法读取高版本软件生成的XML文件。"},
    {104, L"读取XML文件失败，因为数据格式不正确。"},
};

inline constexpr Base_ns::ErrorEntry_st kProcessErrors[] = {
    {1, L"没有设置读数据版本。"},
};

enum Line_en : int32_t {
    LineNoReader = 603,
    LineVersion = 1359,
    LineBadItem = 1366,
};

} // namespace CommonContainerDetail_ns

template<class Container, class T>
class CommonContainer_tl : public Container {
public:
    using ElementId_cl = IO_ns::XMLFile_cl::ElementId_cl;

    // One adaptor per store. The item reader is chosen by SetReadVersion for
    // the version found in the file; a new adaptor has none.
    class XMLStorageProcess_cl {
    public:
        using ItemReader_t = int32_t (XMLStorageProcess_cl::*)(IO_ns::XMLFile_cl&, ElementId_cl&, T&);

        XMLStorageProcess_cl() : m_itemReader(nullptr) {}
        XMLStorageProcess_cl(const XMLStorageProcess_cl&) = default;
        XMLStorageProcess_cl& operator=(const XMLStorageProcess_cl&) = default;
        virtual ~XMLStorageProcess_cl() = default;

        // 1 when records of this version can be read (and the reader is set).
        virtual int32_t SetReadVersion(int32_t version)
        {
            if (version != WriteVersion()) return 0;
            m_itemReader = &XMLStorageProcess_cl::ReadItem;
            return 1;
        }
        virtual int32_t WriteVersion() { return 1; }
        // The tag of the container element.
        virtual Base_ns::String_cl ElementName() = 0;
        // The tag of a record's element; empty names records by number.
        virtual Base_ns::String_cl ItemName(const T& item) { return Base_ns::String_cl(); }
        virtual Base_ns::String_cl FileType() { return L"xml"; }
        virtual void WriteItem(IO_ns::XMLFile_cl& file, ElementId_cl& element, const T& item) = 0;
        // 1 when the record was filled from its element.
        virtual int32_t ReadItem(IO_ns::XMLFile_cl& file, ElementId_cl& element, T& item) = 0;
        virtual const wchar_t* ClassName() const { return L"XMLStorageProcess_cl"; }

        ItemReader_t ItemReader() const { return m_itemReader; }

    protected:
        ItemReader_t m_itemReader;
    };

    // Appends the container's element under parent (empty = the root), with
    // one child per record in container order.
    void WriteXML(IO_ns::XMLFile_cl& file, const ElementId_cl& parent, XMLStorageProcess_cl& process)
    {
        const Base_ns::String_cl elementName = process.ElementName();
        ElementId_cl element = file.AddElement(parent, elementName);
        const int32_t version = process.WriteVersion();
        if (version != 1) file.SetAttribute(element, CommonContainerDetail_ns::kVersionAttribute, version);
        int n = 1;
        for (auto id = this->First(); !id.IsEmpty(); id = id.Next(), ++n) {
            Base_ns::String_cl name = process.ItemName(*id);
            if (name.empty()) name = elementName + Base_ns::String_cl::FromInt(n);
            ElementId_cl child = file.AddElement(element, name);
            process.WriteItem(file, child, *id);
        }
        this->ClearModifiedFlags();
    }

    // Replaces the records by those stored under parent (empty = the root).
    // A missing container element reads as an empty container; after any
    // failure the container is empty, so a half-read store never survives.
    void ReadXML(IO_ns::XMLFile_cl& file, const ElementId_cl& parent, XMLStorageProcess_cl& process)
    {
        this->Clear();
        ElementId_cl element = parent.IsEmpty() ? file.Root().Child(process.ElementName())
                                                : parent.Child(process.ElementName());
        if (!element.IsEmpty()) {
            int32_t version = 1;
            IO_ns::XMLFile_cl::AttributeId_cl versionText =
                element.Attribute(CommonContainerDetail_ns::kVersionAttribute, false);
            if (!versionText.IsEmpty()) version = versionText.Number();
            if (!process.SetReadVersion(version)) RaiseRead(103, CommonContainerDetail_ns::LineVersion, file.Path());
            try {
                ReadItems(file, element, process);
            } catch (...) {
                this->Clear();
                throw;
            }
        }
        this->ClearModifiedFlags();
    }

private:
    void ReadItems(IO_ns::XMLFile_cl& file, ElementId_cl& element, XMLStorageProcess_cl& process)
    {
        ElementId_cl child = element.FirstChild();
        while (!child.IsEmpty()) {
            // Whitespace, comments and other non-element nodes between the
            // records of a hand-edited file are not records.
            if (IsElement(child)) {
                auto id = this->PushBackNew();
                typename XMLStorageProcess_cl::ItemReader_t reader = process.ItemReader();
                if (!reader) {
                    throw Base_ns::SysError_cl(CommonContainerDetail_ns::LineNoReader, CommonContainerDetail_ns::kSource,
                                               process.ClassName(), 1, CommonContainerDetail_ns::kProcessErrors,
                                               int(std::size(CommonContainerDetail_ns::kProcessErrors)), L"");
                }
                if (!(process.*reader)(file, child, *id)) {
                    RaiseRead(104, CommonContainerDetail_ns::LineBadItem,
                              L"Data Name: " + child.Name() + L"\r\n File: " + file.Path());
                }
            }
            if (!child.NextSibling()) break;
        }
    }

    static bool IsElement(const ElementId_cl& node)
    {
        // Text, comment and CDATA nodes have no name of their own, or one of
        // the reserved "#text"-style names that no element can have.
        const Base_ns::String_cl name = node.Name();
        return !name.empty() && name[0] != L'#';
    }

    [[noreturn]] void RaiseRead(int32_t code, int32_t line, const Base_ns::String_cl& note) const
    {
        throw IO_ns::IOError_cl(line, CommonContainerDetail_ns::kSource, this->ClassName(), code,
                                CommonContainerDetail_ns::kReadErrors,
                                int(std::size(CommonContainerDetail_ns::kReadErrors)), note);
    }
};

} // namespace Container_ns
