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
    // A link is a hint the next failed link teaches again: an entry without
    // one of its values is left empty for LoadLinks to drop, instead of
    // refusing the whole data file.
    auto text = [&element](const wchar_t* name) {
        IO_ns::XMLFile_cl::AttributeId_cl attribute = element.Attribute(name, false);
        return attribute.IsEmpty() ? String_cl() : attribute.Text();
    };
    item.path = text(L"路径");
    item.configuration = text(L"编译方式");
    item.library = text(L"库");
    return 1;
}

LearnedLinkPack_cl::~LearnedLinkPack_cl() = default;

LearnedLink_st* LearnedLinkPack_cl::NewData() { return new LearnedLink_st(); }

void LearnedLinkPack_cl::DeleteData(LearnedLink_st* data) { delete data; }

bool LearnedLinkPack_cl::Learn(const String_cl& path, const String_cl& configuration, const String_cl& library)
{
    const Base_ns::FileIdentity_st project = Base_ns::IdentityOf(path);
    for (LearnedLinkId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        if (id->configuration.EqualsNoCase(configuration) && id->library.EqualsNoCase(library) &&
            Base_ns::CachedIdentity(id->identity, id->path).Same(project))
            return false;
    }
    LearnedLink_st link;
    link.path = path;
    link.configuration = configuration;
    link.library = library;
    link.identity = project;
    LearnedLinkId_cl id = PushBack(link);
    MarkModified(id);
    SetModified(1);
    return true;
}

std::vector<String_cl> LearnedLinkPack_cl::Libraries(const String_cl& path, const String_cl& configuration) const
{
    return Count() == 0 ? std::vector<String_cl>() : Libraries(Base_ns::IdentityOf(path), configuration);
}

std::vector<String_cl> LearnedLinkPack_cl::Libraries(const Base_ns::FileIdentity_st& project,
                                                     const String_cl& configuration) const
{
    std::vector<String_cl> libraries;
    for (LearnedLinkId_cl id = First(); !id.IsEmpty(); id = id.Next())
        if (id->configuration.EqualsNoCase(configuration) && Base_ns::CachedIdentity(id->identity, id->path).Same(project))
            libraries.push_back(id->library);
    return libraries;
}

void LearnedLinkPack_cl::SaveLinks(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    WriteXML(file, parent, process);
}

int LearnedLinkPack_cl::LoadLinks(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    ReadXML(file, parent, process);
    int dropped = 0;
    for (LearnedLinkId_cl id = First(); !id.IsEmpty();) {
        LearnedLinkId_cl next = id.Next();
        if (id->path.IsEmpty() || id->configuration.IsEmpty() || id->library.IsEmpty()) {
            Erase(id);
            ++dropped;
        }
        id = next;
    }
    return dropped;
}

} // namespace Quorvane_ns
