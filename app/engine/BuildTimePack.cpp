#include "app/engine/BuildTimePack.h"
#include <cmath>
#include <cstdint>
#include <optional>
#include <set>

namespace Quorvane_ns {

namespace {

String_cl Key(const String_cl& path, const String_cl& configuration)
{
    return Base_ns::ToUpper(path) + L"|" + Base_ns::ToUpper(configuration);
}

// Decimal digits only, as they are written: the wrapper's Number reads
// "1e30" as 7728 and "ff" as 255, which for a time would be a wrong weight,
// not an unknown one.
std::optional<int32_t> Milliseconds(const String_cl& text)
{
    if (text.empty() || text.size() > 10) return std::nullopt;
    int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

} // namespace

String_cl BuildTimePack_cl::StorageProcess_cl::ElementName() { return L"耗时"; }

void BuildTimePack_cl::StorageProcess_cl::WriteItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                                                    const BuildTime_st& item)
{
    file.SetAttribute(element, L"路径", item.path);
    file.SetAttribute(element, L"编译方式", item.configuration);
    file.SetAttribute(element, L"毫秒", item.milliseconds);
}

int32_t BuildTimePack_cl::StorageProcess_cl::ReadItem(IO_ns::XMLFile_cl&, IO_ns::XMLFile_cl::ElementId_cl& element,
                                                      BuildTime_st& item)
{
    // A time is only a weight, learned again by the next build: an entry
    // that lacks a value, or whose time is no plain number of milliseconds,
    // is left empty for LoadTimes to drop, never a reason to refuse the
    // data file.
    auto text = [&element](const wchar_t* name) {
        IO_ns::XMLFile_cl::AttributeId_cl attribute = element.Attribute(name, false);
        return attribute.IsEmpty() ? String_cl() : attribute.Text();
    };
    item.path = text(L"路径");
    item.configuration = text(L"编译方式");
    const std::optional<int32_t> ms = Milliseconds(text(L"毫秒"));
    item.milliseconds = ms ? *ms : -1;
    if (!ms) item.path.clear();
    return 1;
}

BuildTimePack_cl::~BuildTimePack_cl() = default;

BuildTime_st* BuildTimePack_cl::NewData() { return new BuildTime_st(); }

void BuildTimePack_cl::DeleteData(BuildTime_st* data) { delete data; }

void BuildTimePack_cl::Record(const String_cl& path, const String_cl& configuration, double seconds)
{
    // Whole milliseconds up to about 24 days: what one attribute holds.
    const double ms = std::floor(seconds * 1000 + 0.5);
    const int32_t milliseconds = ms < 0 ? 0 : ms > 2e9 ? 2000000000 : static_cast<int32_t>(ms);
    BuildTimeId_cl id;
    for (BuildTimeId_cl it = First(); !it.IsEmpty() && id.IsEmpty(); it = it.Next())
        if (it->path.EqualsNoCase(path) && it->configuration.EqualsNoCase(configuration)) id = it;
    if (id.IsEmpty()) {
        BuildTime_st time;
        time.path = path;
        time.configuration = configuration;
        id = PushBack(time);
    } else if (id->milliseconds == milliseconds) {
        return;
    }
    id->milliseconds = milliseconds;
    MarkModified(id);
    SetModified(1);
}

double BuildTimePack_cl::Seconds(const String_cl& path, const String_cl& configuration) const
{
    for (BuildTimeId_cl it = First(); !it.IsEmpty(); it = it.Next())
        if (it->path.EqualsNoCase(path) && it->configuration.EqualsNoCase(configuration))
            return it->milliseconds < 0 ? -1 : it->milliseconds / 1000.0;
    return -1;
}

void BuildTimePack_cl::SaveTimes(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    WriteXML(file, parent, process);
}

int BuildTimePack_cl::LoadTimes(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    ReadXML(file, parent, process);
    int dropped = 0;
    for (BuildTimeId_cl id = First(); !id.IsEmpty();) {
        BuildTimeId_cl next = id.Next();
        if (id->path.IsEmpty() || id->configuration.IsEmpty()) {
            Erase(id);
            ++dropped;
        }
        id = next;
    }
    return dropped;
}

RowWeights_cl::RowWeights_cl(const MProjectPack_cl& rows, const std::vector<uint32_t>& serials,
                             const BuildTimePack_cl& times)
{
    // One pass over the kept times, not one per row: a plan has thousands.
    std::map<String_cl, double> kept;
    for (BuildTimeId_cl it = times.First(); !it.IsEmpty(); it = it.Next())
        if (it->milliseconds >= 0) kept.emplace(Key(it->path, it->configuration), it->milliseconds / 1000.0);
    const std::set<uint32_t> wanted(serials.begin(), serials.end());
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next()) {
        if (!wanted.count(row.Serial())) continue;
        auto k = kept.find(Key(row->project->path, row->configuration));
        if (k != kept.end()) Took(row.Serial(), k->second);
    }
}

double RowWeights_cl::Of(uint32_t row) const
{
    auto k = m_known.find(row);
    if (k != m_known.end()) return k->second;
    return m_count > 0 ? m_sum / m_count : 1.0;
}

void RowWeights_cl::Took(uint32_t row, double seconds)
{
    auto k = m_known.find(row);
    if (k != m_known.end()) {
        m_sum -= k->second;
        --m_count;
    }
    m_known[row] = seconds;
    m_sum += seconds;
    ++m_count;
}

} // namespace Quorvane_ns
