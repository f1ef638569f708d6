#include "app/workflow/PlanOperations.h"
#include "app/engine/BuildRunner.h"
#include "app/workflow/VcDirectory.h"

#include <iterator>

namespace Quorvane_ns {
namespace {

const Base_ns::ErrorEntry_st kPlanNameErrors[] = {
    {101, L"方案名不能为空。"},
    {102, L"方案名的第一个字符只能为字母或中文字符。"},
    {103, L"方案名只能由字母，数字，下划线及中文字符组成。"},
    {104, L"方案名的开头和结尾不能是空白字符。"},
};

// As the C locale classifies them: only ASCII letters and digits.
bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsChinese(wchar_t c) { return c >= 127; }
// The blanks from 127 up (Unicode's white space, and the invisible zero-width
// space and byte-order mark); those below are no part of a name anyway.
bool IsBlank(wchar_t c)
{
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

} // namespace

std::vector<String_cl> SplitPlanList(const String_cl& list)
{
    std::vector<String_cl> names;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(L',', start);
        const String_cl name = list.substr(start, comma == String_cl::npos ? String_cl::npos : comma - start);
        // After the last comma: nothing there is the harmless comma at the end.
        if (comma == String_cl::npos && name.empty() && !names.empty()) return names;
        if (name.empty()) throw MainWindowUserError(106, __LINE__, list);
        names.push_back(name);
        if (comma == String_cl::npos) return names;
        start = comma + 1;
    }
}

int32_t CheckPlanName(const String_cl& name)
{
    if (name.empty()) return 101;
    const wchar_t first = name[0];
    if (!IsChinese(first) && !IsAsciiLetter(first) && first != L'_') return 102;
    for (size_t i = 1; i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (!IsChinese(c) && !IsAsciiLetter(c) && !IsAsciiDigit(c) && c != L'_') return 103;
    }
    if (IsBlank(first) || IsBlank(name.back())) return 104;
    return 0;
}

Base_ns::UserError_cl PlanNameError(int32_t code, int32_t line, const wchar_t* source, const wchar_t* className)
{
    return Base_ns::UserError_cl(line, source, className, code, kPlanNameErrors, int(std::size(kPlanNameErrors)),
                                 L"");
}

PlanId_cl SavePlanAs(Stores_cl& stores, const PlanId_cl& source, const String_cl& name)
{
    stores.plans.MarkModified(source);
    return stores.plans.CopyPlan(name, source);
}

void DeletePlan(Stores_cl& stores, PlanId_cl& plan)
{
    stores.plans.MarkModified(plan);
    stores.plans.RemovePlan(plan, stores.projects);
}

bool ChangePlanConfiguration(Stores_cl& stores, const PlanId_cl& plan, const String_cl& configuration)
{
    if (configuration.empty() || configuration == plan->configuration) return false;
    CheckBuildConfiguration(configuration);
    stores.plans.MarkModified(plan);
    stores.plans.SetPlanConfiguration(plan, configuration, stores.projects, stores.sequences);
    return true;
}

void RemoveSolutions(Stores_cl& stores, const PlanId_cl& plan, const std::vector<uint32_t>& keys)
{
    for (uint32_t key : keys) {
        SolutionId_cl solution = plan->solutions.FromSerial(key);
        stores.plans.MarkModified(plan);
        plan->solutions.RemoveSolution(solution, plan->rows, stores.projects);
    }
}

void ClearSolutions(Stores_cl& stores, const PlanId_cl& plan)
{
    stores.plans.MarkModified(plan);
    // The solutions hold the rows they made; they go first so that the rows
    // (and the project records only they used) can go.
    plan->solutions.Clear();
    ClearRows(plan->rows, stores.projects);
}

} // namespace Quorvane_ns
