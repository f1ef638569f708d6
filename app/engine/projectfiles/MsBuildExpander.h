#pragma once
// MSBuild's expansion of a text: "$(Name)" property references, property
// functions ("$(Name.Replace('a', 'b'))", "$([System.IO.Path]::Combine(…))",
// chained and nested), and "%(Name)" item metadata where the evaluation
// around it has metadata. The functions real project files and sheets use
// are done here; any other makes the value unknown, carrying a cause that
// says which expression could not be evaluated, never a text cut short.
//
// Values past kMaxValueLength, or nesting past a guard, raise the reader's
// error through the host, which knows the file.
#include <optional>
#include <string_view>
#include <vector>
#include "app/engine/projectfiles/ProjectFileCache.h"
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// Why a value is not what MSBuild would make of it: indices into the
// evaluation's list of causes (a line each). Empty: the value is known.
using Causes_t = std::vector<uint32_t>;
void AddCauses(Causes_t& into, const Causes_t& from);

struct Value_st {
    String_cl text;
    Causes_t causes;
    bool Known() const { return causes.empty(); }
};

// What expansion asks of the evaluation it serves.
class ExpansionHost_cl {
public:
    virtual ~ExpansionHost_cl() = default;
    // A property's value; nullptr when the evaluation does not define it
    // (the environment's variable of that name stands for it then).
    virtual const Value_st* Property(const String_cl& name) = 0;
    // "%(name)" or "%(type.name)": true and the value where the text is an
    // item definition's setting; false leaves the reference as written.
    virtual bool Metadata(const String_cl& itemType, const String_cl& name, Value_st& value);
    // A cause for an expression this evaluation cannot evaluate (a function
    // it does not know, an item list): its index.
    virtual uint32_t Unsupported(const String_cl& expression) = 0;
    // The folder relative paths of path functions and Exists() are taken
    // from: the project's, ending in "\" (MSBuild evaluates in it).
    virtual const String_cl& ProjectFolder() const = 0;
    // The folder of the file the text is written in, ending in "\".
    virtual const String_cl& ThisFileFolder() const = 0;
    // What a full path names on disk.
    virtual PathKind_en Kind(const String_cl& fullPath) = 0;
    // Counts the characters an expansion produced against the read's budget.
    virtual void Charge(size_t characters) = 0;
    // Raises the reader's error (code of ProjectFileError) naming the file.
    [[noreturn]] virtual void OverLimit(int32_t code, const String_cl& what) = 0;
};

Value_st ExpandText(std::wstring_view text, ExpansionHost_cl& host);

// The position of the ")" closing the "(" at open, skipping quoted texts
// ('…', "…", `…`) and the property references nested in them; npos when
// there is none.
size_t ClosingParenthesis(std::wstring_view text, size_t open);

// MSBuild's booleans (true/false, on/off, yes/no, any case) and numbers
// (decimal with an optional sign and point, or 0x hexadecimal).
std::optional<bool> BooleanText(std::wstring_view text);
std::optional<double> NumberText(std::wstring_view text);

// "%XX" escapes as MSBuild writes special characters; a value is unescaped
// where it is used as a path or a name.
String_cl UnescapeMsBuild(std::wstring_view text);

} // namespace Quorvane_ns
