#include "app/engine/BuildTimePack.h"
#include "common/base/Number.h"
#include <cmath>
#include <optional>
#include <set>

namespace Quorvane_ns {

namespace {

String_cl Key(const String_cl& path, const String_cl& configuration)
{
    return Base_ns::ToUpper(path) + L"|" + Base_ns::ToUpper(configuration);
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
    item.path = element.Attribute(L"路径", true).Text();
    item.configuration = element.Attribute(L"编译方式", true).Text();
    // A time is only a weight: one that does not read is unknown, never a
    // reason to refuse the data file.
    const std::optional<int32_t> ms = Base_ns::ParseNumber(element.Attribute(L"毫秒", true).Text());
    item.milliseconds = ms && *ms >= 0 ? *ms : -1;
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

void BuildTimePack_cl::LoadTimes(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl process;
    ReadXML(file, parent, process);
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
