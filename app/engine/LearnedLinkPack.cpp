#include "app/engine/LearnedLinkPack.h"

namespace Quorvane_ns {

String_cl LearnedLinkPack_cl::StorageProcess_cl::ElementName() { return L"依赖"; }

void LearnedLinkPack_cl::StorageProcess_cl::WriteItem(IO_ns::XMLFile_cl& file,
                                                      IO_ns::XMLFile_cl::ElementId_cl& element,
                                                      const LearnedLink_st& item)
{
    file.SetAttribute(element, L"路径", item.path);
    file.SetAttribute(element, L"编译方式", item.configuration);
    file.SetAttribute(element, L"库", item.library);
}

int32_t LearnedLinkPack_cl::StorageProcess_cl::ReadItem(IO_ns::XMLFile_cl& file,
                                                        IO_ns::XMLFile_cl::ElementId_cl& element,
                                                        LearnedLink_st& item)
{
    item.path = element.Attribute(L"路径", true).Text();
    item.configuration = element.Attribute(L"编译方式", true).Text();
    item.library = element.Attribute(L"库", true).Text();
    return 1;
}

LearnedLinkPack_cl::~LearnedLinkPack_cl() = default;

LearnedLink_st* LearnedLinkPack_cl::NewData() { return new LearnedLink_st(); }

void LearnedLinkPack_cl::DeleteData(LearnedLink_st* data) { delete data; }

bool LearnedLinkPack_cl::Learn(const String_cl& path, const String_cl& configuration, const String_cl& library)
{
    for (LearnedLinkId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        if (id->path.EqualsNoCase(path) && id->configuration.EqualsNoCase(configuration) &&
            id->library.EqualsNoCase(library))
            return false;
    }
    LearnedLink_st link;
    link.path = path;
    link.configuration = configuration;
    link.library = library;
    LearnedLinkId_cl id = PushBack(link);
    MarkModified(id);
    SetModified(1);
    return true;
}

std::vector<String_cl> LearnedLinkPack_cl::Libraries(const String_cl& path, const String_cl& configuration) const
{
    std::vector<String_cl> libraries;
    for (LearnedLinkId_cl id = First(); !id.IsEmpty(); id = id.Next())
        if (id->path.EqualsNoCase(path) && id->configuration.EqualsNoCase(configuration))
            libraries.push_back(id->library);
    return libraries;
}

void LearnedLinkPack_cl::SaveLinks(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    WriteXML(file, parent, process);
}

void LearnedLinkPack_cl::LoadLinks(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    ReadXML(file, parent, process);
}

} // namespace Quorvane_ns
