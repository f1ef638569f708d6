#pragma once
// MSBuild's conditions: "and", "or", "!", parentheses, ==, !=, <, >, <= and
// >= on quoted or unquoted operands (property references and property
// functions expanded), Exists('…') and HasTrailingSlash('…'). Texts compare
// ignoring case; two numbers compare as numbers, two booleans as booleans;
// an undefined property is the empty text.
//
// A condition that cannot be decided (it names a value the evaluation does
// not know, or is not a condition MSBuild would take) is reported as such
// with the causes of the values it depended on: the caller treats it as
// false and says so.
#include <string_view>
#include "app/engine/projectfiles/MsBuildExpander.h"

namespace Quorvane_ns {

struct ConditionResult_st {
    bool holds = true;
    bool decided = true;
    Causes_t causes;  // of the unknown values an undecided condition named
};

// An empty or blank condition holds.
ConditionResult_st EvaluateCondition(std::wstring_view condition, ExpansionHost_cl& host);

} // namespace Quorvane_ns
