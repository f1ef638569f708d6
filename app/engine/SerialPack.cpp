#include "app/engine/SerialPack.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "common/io/FileStream.h"
#include "common/io/TextIStream.h"
#include "common/io/WTextOStream.h"

namespace Quorvane_ns {

namespace {

const wchar_t kSource[] = L"SerialPack";

const Base_ns::ErrorEntry_st kSysErrors[] = {
    {1, L"工程路径不正确。"},
};

const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"导入的文件内容不正确。"},
};

} // namespace

// ---- StorageProcess_cl ----------------------------------------------------

String_cl SerialPack_cl::StorageProcess_cl::ElementName()
{
    return L"序列";
}

void SerialPack_cl::StorageProcess_cl::WriteItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                                                 const Serial_st& item)
{
    file.SetAttribute(element, L"路径", item.path);
}

int32_t SerialPack_cl::StorageProcess_cl::ReadItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                                                   Serial_st& item)
{
    item.path = element.Attribute(L"路径", true).Text();
    // The order follows from the element order; LoadSequence renumbers.
    item.order = 0;
    return 1;
}

// ---- SerialPack_cl --------------------------------------------------------

// The base frees the records with delete, as NewData makes them, and hands
// nodes that identifiers still name over to those identifiers.
SerialPack_cl::~SerialPack_cl() = default;

Serial_st* SerialPack_cl::NewData()
{
    return new Serial_st();
}

void SerialPack_cl::DeleteData(Serial_st* data)
{
    delete data;
}

Base_ns::SysError_cl SerialPack_cl::SysError(int32_t code, int32_t line, const String_cl& note) const
{
    return Base_ns::SysError_cl(line, kSource, ClassName(), code, kSysErrors,
                                static_cast<int>(std::size(kSysErrors)), note);
}

Base_ns::UserError_cl SerialPack_cl::UserError(int32_t code, int32_t line, const String_cl& note) const
{
    return Base_ns::UserError_cl(line, kSource, ClassName(), code, kUserErrors,
                                 static_cast<int>(std::size(kUserErrors)), note);
}

SerialId_cl SerialPack_cl::Register(const String_cl& path)
{
    return Register(path, Base_ns::IdentityOf(path));
}

SerialId_cl SerialPack_cl::Register(const String_cl& path, const Base_ns::FileIdentity_st& identity)
{
    SerialId_cl last;
    for (SerialId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        if (Base_ns::CachedIdentity(id->identity, id->path).Same(identity))
            return id;
        last = id;
    }
    int32_t order = last.IsEmpty() ? 1 : last->order + 1;
    SerialId_cl id = PushBackNew();
    id->path = path;
    id->order = order;
    id->identity = identity;
    return id;
}

void SerialPack_cl::MoveBefore(const SerialId_cl& entry, const SerialId_cl& target)
{
    if (entry != target)
        Persistent_cl::MoveBefore(entry, target);
    else
        MarkModified(entry);
    SetModified(1);

    SerialId_cl previous = entry.Prev();
    int32_t order = previous.IsEmpty() ? 1 : previous->order + 1;
    // Entries before the moved one keep their numbers.
    for (SerialId_cl id = entry; !id.IsEmpty(); id = id.Next()) {
        if (id->order != order) {
            id->order = order;
            MarkModified(id);
        }
        ++order;
    }
}

String_cl SerialPack_cl::ProjectName(const SerialId_cl& entry) const
{
    const String_cl& path = entry->path;
    size_t slash = path.rfind(L'\\');
    size_t dot = path.rfind(L'.');
    if (slash == String_cl::npos || dot == String_cl::npos || slash > dot)
        throw SysError(1, 162, String_cl());
    return path.substr(slash + 1, dot - slash - 1);
}

void SerialPack_cl::Renumber()
{
    int32_t order = 1;
    for (SerialId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        if (id->order != order) {
            id->order = order;
            MarkModified(id);
            SetModified(1);
        }
        ++order;
    }
}

void SerialPack_cl::SaveSequence(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    WriteXML(file, parent, process);
}

void SerialPack_cl::LoadSequence(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    ReadXML(file, parent, process);

    // Anything that is not a project file cannot be built; a path met a
    // second time (ignoring case, as the sequence compares paths) would break
    // the rule that every path stands once, so only its first place counts.
    bool dropped = false;
    std::set<String_cl> seen;  // upper-cased paths
    SerialId_cl id = First();
    while (!id.IsEmpty()) {
        SerialId_cl next = id.Next();
        if (!IsVcProjectFile(id->path) || !seen.insert(id->path.Upper()).second) {
            Erase(id);
            dropped = true;
        }
        id = next;
    }

    int32_t order = 1;
    for (SerialId_cl entry = First(); !entry.IsEmpty(); entry = entry.Next())
        entry->order = order++;
    // Numbers are not stored, so renumbering is no change; dropping is.
    if (!dropped)
        ClearModifiedFlags();
}

void SerialPack_cl::ExportSequence(const String_cl& path)
{
    IO_ns::FileStream_tl<IO_ns::WTextOStream_cl> stream;
    stream.Open(path);
    for (SerialId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        stream.WriteString(id->path);
        stream.WriteString(L"\r\n");
    }
    stream.Close();
}

void SerialPack_cl::ImportSequence(const String_cl& path)
{
    // Every line is read and checked before anything changes, so a bad file
    // leaves the sequence as it was.
    Base_ns::IdentityScope_cl scope;
    std::vector<String_cl> paths;
    std::vector<Base_ns::FileIdentity_st> identities;
    {
        IO_ns::FileStream_tl<IO_ns::TextIStream_cl> stream;
        stream.Open(path);
        stream.SetSeparators(L"\r\n");
        String_cl line;
        while (stream.ReadWord(line) > 0) {
            line.ReplaceAll(L"/", L"\\");
            if (!IsVcProjectFile(line))
                throw UserError(101, 366, line);
            if (line.find(L'\\') == String_cl::npos)
                throw UserError(101, 371, line);
            // A file named twice (however spelt) counts once, at its first place.
            const Base_ns::FileIdentity_st identity = Base_ns::IdentityOf(line);
            if (std::none_of(identities.begin(), identities.end(),
                             [&](const Base_ns::FileIdentity_st& i) { return i.Same(identity); })) {
                paths.push_back(line);
                identities.push_back(identity);
            }
        }
        stream.Close();
    }

    // Entries that nothing holds are dropped: the file alone decides them.
    // An entry a row still holds cannot go; if the file names it, it takes
    // the file's place like any other path, and if not, it stays, after all
    // the file's paths, in the relative order it had.
    SerialId_cl id = First();
    while (!id.IsEmpty()) {
        SerialId_cl next = id.Next();
        if (id.References() == 1)  // only this walk holds it
            Erase(id);
        id = next;
    }

    // Everything before the cursor is placed in file order; the cursor and
    // what follows are held entries not (yet) named by the file.
    SerialId_cl cursor = First();
    for (size_t i = 0; i < paths.size(); ++i) {
        SerialId_cl existing;
        for (SerialId_cl entry = cursor; !entry.IsEmpty(); entry = entry.Next()) {
            if (Base_ns::CachedIdentity(entry->identity, entry->path).Same(identities[i])) {
                existing = entry;
                break;
            }
        }
        if (existing.IsEmpty()) {
            Serial_st record;
            record.path = paths[i];
            record.identity = identities[i];
            if (cursor.IsEmpty())
                PushBack(record);
            else
                InsertBefore(cursor, record);
        } else if (existing == cursor) {
            cursor = cursor.Next();
        } else {
            Persistent_cl::MoveBefore(existing, cursor);
        }
    }
    SetModified(1);
    Renumber();
}

} // namespace Quorvane_ns
