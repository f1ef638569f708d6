#include "app/workflow/PageCommands.h"
#include <iterator>
#include "common/io/TextIStream.h"
#include "common/io/FileStream.h"
#include "app/engine/RowState.h"
#include "app/engine/SerialPack.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/workflow/WriteTarget.h"

namespace Quorvane_ns {

String_cl BusyStatusText() { return L"正在执行任务，请在任务结束后再操作。"; }

const String_cl& ProjectRowView_st::Text(int column) const
{
    switch (column) {
    case 0: return name;
    case 1: return configuration;
    case 2: return stateText;
    default: return path;
    }
}

void ProjectRowViews(const MProjectPack_cl& rows, std::vector<ProjectRowView_st>& views)
{
    views.resize(static_cast<size_t>(rows.Count()));
    size_t i = 0;
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next(), ++i) {
        const MProject_st& row = *it;
        ProjectRowView_st& view = views[i];
        view.key = it.Serial();
        view.state = row.state;
        view.name = row.project->name;
        view.configuration = row.configuration;
        view.stateText = RowStateText(row.state);
        view.path = row.project->path;
        view.log = row.log;
        view.note = RowNoteText(row);
    }
}

String_cl RowNoteText(const MProject_st& row)
{
    String_cl note = row.state == CompileFailed ? row.failReason : String_cl();
    if (note.IsEmpty()) note = UnreadableReason(row);
    if (!row.readNote.IsEmpty()) note += (note.IsEmpty() ? L"" : L"；") + row.readNote;
    return note.IsEmpty() ? note : row.project->name + L"：" + note;
}

String_cl CountersText(const RowStatistics_st& counts)
{
    String_cl text = L"工程总数 " + String_cl::FromInt(counts.total) + L"，";
    if (counts.notExist > 0) text += L"不存在 " + String_cl::FromInt(counts.notExist) + L"，";
    if (counts.ignored > 0) text += L"忽略 " + String_cl::FromInt(counts.ignored) + L"，";
    if (counts.failed > 0) text += L"编译失败 " + String_cl::FromInt(counts.failed) + L"，";
    text += L"编译工程 " + String_cl::FromInt(counts.compiled) + L"/" +
            String_cl::FromInt(counts.total - counts.notExist - counts.ignored);
    return text;
}

MProjectId_cl PlanRow(Stores_cl& stores, uint32_t planKey, uint32_t rowKey)
{
    PlanId_cl plan = stores.plans.FromSerial(planKey);
    return plan->rows.FromSerial(rowKey);
}

namespace {

// Every change of a row goes into the data file with its plan.
MProjectId_cl RowToChange(Stores_cl& stores, uint32_t planKey, uint32_t rowKey)
{
    PlanId_cl plan = stores.plans.FromSerial(planKey);
    MProjectId_cl row = plan->rows.FromSerial(rowKey);
    stores.plans.MarkModified(plan);
    plan->rows.MarkModified(row);
    return row;
}

} // namespace

void ToggleIgnore(Stores_cl& stores, uint32_t planKey, uint32_t rowKey)
{
    MProjectId_cl row = RowToChange(stores, planKey, rowKey);
    if (row->state != Ignored) row->state = Ignored;
    else if (!row->configuration.IsEmpty()) row->state = Normal;
}

bool MarkIgnored(Stores_cl& stores, uint32_t planKey, uint32_t rowKey)
{
    if (PlanRow(stores, planKey, rowKey)->state == Ignored) return false;
    RowToChange(stores, planKey, rowKey)->state = Ignored;
    return true;
}

void RaiseRowPriority(Stores_cl& stores, uint32_t planKey, uint32_t rowKey)
{
    PlanId_cl plan = stores.plans.FromSerial(planKey);
    MProjectId_cl row = plan->rows.FromSerial(rowKey);
    stores.plans.MarkModified(plan);
    RaisePriority(row, plan->rows, stores.sequences);
}

void WriteBatchFile(const String_cl& path, const MProjectPack_cl& rows, const String_cl& logFile)
{
    IO_ns::FileStream_tl<IO_ns::WTextOStream_cl> out(path);
    WriteBatchCommands(rows, out, logFile);
    out.Close();
}

void SequenceRowViews(const SerialPack_cl& sequences, std::vector<SequenceRowView_st>& views)
{
    views.resize(static_cast<size_t>(sequences.Count()));
    size_t i = 0;
    try {
        for (SerialId_cl it = sequences.First(); !it.IsEmpty(); it = it.Next(), ++i) {
            SequenceRowView_st& view = views[i];
            view.key = it.Serial();
            view.name = sequences.ProjectName(it);
            view.path = it->path;
        }
    } catch (...) {
        views.resize(i);
        throw;
    }
}

int EraseUnusedEntries(SerialPack_cl& sequences, const std::vector<uint32_t>& keys)
{
    int erased = 0;
    for (uint32_t key : keys) {
        SerialId_cl entry = sequences.FromSerial(key);
        // This lookup holds one reference; a build row holds another.
        if (entry.References() > 1) continue;
        sequences.Erase(entry);
        ++erased;
    }
    return erased;
}

void ExportSequenceFile(Stores_cl& stores, const String_cl& path)
{
    CheckWriteTarget(stores, path);
    stores.sequences.ExportSequence(path);
}

void ImportSequenceFile(Stores_cl& stores, const String_cl& path)
{
    static const Base_ns::ErrorEntry_st kErrors[] = {{101, L"导入的文件是空的，历史顺序保持不变。"}};
    bool empty = true;
    {
        IO_ns::FileStream_tl<IO_ns::TextIStream_cl> stream;
        stream.Open(path);
        stream.SetSeparators(L"\r\n");
        String_cl line;
        empty = stream.ReadWord(line) <= 0;
        stream.Close();
    }
    if (empty)
        throw Base_ns::UserError_cl(__LINE__, L"PageCommands", L"PageCommands", 101, kErrors, int(std::size(kErrors)),
                                    path);
    stores.sequences.ImportSequence(path);
}

} // namespace Quorvane_ns
