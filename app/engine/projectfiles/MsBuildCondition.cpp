#include "app/engine/projectfiles/MsBuildCondition.h"
#include "app/engine/projectfiles/ProjectFileErrors.h"
#include "app/engine/projectfiles/ProjectFileText.h"

namespace Quorvane_ns {

namespace {

constexpr size_t npos = std::wstring_view::npos;
// Parentheses and "!" inside each other: a guard, no condition nests so.
constexpr int kMaxDepth = 100;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

enum class Token_en { End, Open, Close, Comma, Not, Eq, Ne, Lt, Le, Gt, Ge, And, Or, Quoted, Reference, Word, Function };

// Not a condition MSBuild would take: the project would not load there.
struct SyntaxError_st {};

struct Truth_st {
    bool value = false;
    bool decided = true;
    Causes_t causes;
};

// An operand: a text (quoted, a reference, a bare word) or the truth of a
// comparison, a function or a group.
struct Operand_st {
    bool isTruth = false;
    Truth_st truth;
    Value_st text;
};

class ConditionParser_cl {
public:
    ConditionParser_cl(std::wstring_view condition, ExpansionHost_cl& host) : m_text(condition), m_host(host) { Next(); }

    Truth_st Evaluate()
    {
        Truth_st result = AsTruth(Or(0));
        if (m_token != Token_en::End) throw SyntaxError_st();
        return result;
    }

private:
    void Next()
    {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
        m_lexeme = std::wstring_view();
        if (m_pos >= m_text.size()) {
            m_token = Token_en::End;
            return;
        }
        const wchar_t c = m_text[m_pos];
        const wchar_t d = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : L'\0';
        auto symbol = [&](Token_en t, size_t length) {
            m_token = t;
            m_pos += length;
        };
        switch (c) {
        case L'(': return symbol(Token_en::Open, 1);
        case L')': return symbol(Token_en::Close, 1);
        case L',': return symbol(Token_en::Comma, 1);
        case L'!': return d == L'=' ? symbol(Token_en::Ne, 2) : symbol(Token_en::Not, 1);
        case L'=':
            if (d != L'=') throw SyntaxError_st();
            return symbol(Token_en::Eq, 2);
        case L'<': return d == L'=' ? symbol(Token_en::Le, 2) : symbol(Token_en::Lt, 1);
        case L'>': return d == L'=' ? symbol(Token_en::Ge, 2) : symbol(Token_en::Gt, 1);
        default: break;
        }
        if (c == L'\'' || c == L'"' || c == L'`') {
            size_t j = m_pos + 1;
            for (; j < m_text.size() && m_text[j] != c; ++j) {
                if (m_text[j] == L'$' && j + 1 < m_text.size() && m_text[j + 1] == L'(') {
                    j = ClosingParenthesis(m_text, j + 1);
                    if (j == npos) throw SyntaxError_st();
                }
            }
            if (j >= m_text.size()) throw SyntaxError_st();
            m_token = Token_en::Quoted;
            m_lexeme = m_text.substr(m_pos + 1, j - m_pos - 1);
            m_pos = j + 1;
            return;
        }
        if ((c == L'$' || c == L'@' || c == L'%') && d == L'(') {
            const size_t close = ClosingParenthesis(m_text, m_pos + 1);
            if (close == npos) throw SyntaxError_st();
            m_token = Token_en::Reference;
            m_lexeme = m_text.substr(m_pos, close + 1 - m_pos);
            m_pos = close + 1;
            return;
        }
        size_t j = m_pos;
        while (j < m_text.size() && !IsBlank(m_text[j]) && std::wstring_view(L"()!=<>,'\"`$@%").find(m_text[j]) == npos) ++j;
        if (j == m_pos) throw SyntaxError_st();
        m_lexeme = m_text.substr(m_pos, j - m_pos);
        m_pos = j;
        if (Base_ns::EqualsNoCase(m_lexeme, L"and")) {
            m_token = Token_en::And;
        } else if (Base_ns::EqualsNoCase(m_lexeme, L"or")) {
            m_token = Token_en::Or;
        } else {
            size_t k = m_pos;
            while (k < m_text.size() && IsBlank(m_text[k])) ++k;
            m_token = k < m_text.size() && m_text[k] == L'(' ? Token_en::Function : Token_en::Word;
        }
    }

    void Expect(Token_en t)
    {
        if (m_token != t) throw SyntaxError_st();
        Next();
    }

    void Deeper(int depth)
    {
        if (depth > kMaxDepth) m_host.OverLimit(103, L"条件嵌套超过 " + String_cl::FromInt(kMaxDepth) + L" 层");
    }

    Truth_st AsTruth(const Operand_st& o)
    {
        if (o.isTruth) return o.truth;
        Truth_st t;
        if (!o.text.Known()) {
            t.decided = false;
            t.causes = o.text.causes;
            return t;
        }
        const std::optional<bool> b = BooleanText(o.text.text);
        if (!b) throw SyntaxError_st();
        t.value = *b;
        return t;
    }

    static Operand_st FromTruth(Truth_st t)
    {
        Operand_st o;
        o.isTruth = true;
        o.truth = std::move(t);
        return o;
    }

    Operand_st Or(int depth)
    {
        Deeper(depth);
        Operand_st left = And(depth);
        while (m_token == Token_en::Or) {
            Next();
            Truth_st a = AsTruth(left), b = AsTruth(And(depth));
            Truth_st r;
            if ((a.decided && a.value) || (b.decided && b.value)) {
                r.value = true;
            } else if (!a.decided || !b.decided) {
                r.decided = false;
                r.causes = a.causes;
                AddCauses(r.causes, b.causes);
            }
            left = FromTruth(r);
        }
        return left;
    }

    Operand_st And(int depth)
    {
        Operand_st left = Not(depth);
        while (m_token == Token_en::And) {
            Next();
            Truth_st a = AsTruth(left), b = AsTruth(Not(depth));
            Truth_st r;
            if ((a.decided && !a.value) || (b.decided && !b.value)) {
                r.value = false;
            } else if (!a.decided || !b.decided) {
                r.decided = false;
                r.causes = a.causes;
                AddCauses(r.causes, b.causes);
            } else {
                r.value = true;
            }
            left = FromTruth(r);
        }
        return left;
    }

    Operand_st Not(int depth)
    {
        if (m_token != Token_en::Not) return Comparison(depth);
        Deeper(depth + 1);
        Next();
        Truth_st t = AsTruth(Not(depth + 1));
        t.value = !t.value;
        return FromTruth(t);
    }

    static String_cl TextOf(const Operand_st& o) { return o.isTruth ? String_cl(o.truth.value ? L"True" : L"False") : o.text.text; }

    Operand_st Comparison(int depth)
    {
        const Operand_st left = Primary(depth);
        const Token_en op = m_token;
        if (op != Token_en::Eq && op != Token_en::Ne && op != Token_en::Lt && op != Token_en::Le && op != Token_en::Gt &&
            op != Token_en::Ge)
            return left;
        Next();
        const Operand_st right = Primary(depth);
        Truth_st r;
        for (const Operand_st* o : {&left, &right}) {
            const Causes_t& causes = o->isTruth ? o->truth.causes : o->text.causes;
            if (!causes.empty() || (o->isTruth && !o->truth.decided)) {
                r.decided = false;
                AddCauses(r.causes, causes);
            }
        }
        if (!r.decided) return FromTruth(r);
        const String_cl a = TextOf(left), b = TextOf(right);
        const std::optional<double> x = NumberText(a), y = NumberText(b);
        if (op == Token_en::Eq || op == Token_en::Ne) {
            bool equal;
            const std::optional<bool> p = BooleanText(a), q = BooleanText(b);
            if (x && y) equal = *x == *y;
            else if (p && q) equal = *p == *q;
            else equal = Base_ns::EqualsNoCase(a, b);
            r.value = op == Token_en::Eq ? equal : !equal;
        } else {
            if (!x || !y) throw SyntaxError_st();
            r.value = op == Token_en::Lt ? *x < *y : op == Token_en::Le ? *x <= *y : op == Token_en::Gt ? *x > *y : *x >= *y;
        }
        return FromTruth(r);
    }

    Operand_st Primary(int depth)
    {
        Operand_st o;
        switch (m_token) {
        case Token_en::Open: {
            Deeper(depth + 1);
            Next();
            o = Or(depth + 1);
            Expect(Token_en::Close);
            return o;
        }
        case Token_en::Quoted:
        case Token_en::Reference:
            o.text = ExpandText(m_lexeme, m_host);
            Next();
            return o;
        case Token_en::Word:
            o.text.text.assign(m_lexeme);
            Next();
            return o;
        case Token_en::Function:
            return Function();
        default:
            throw SyntaxError_st();
        }
    }

    Operand_st Function()
    {
        const String_cl name(m_lexeme);
        Next();
        Expect(Token_en::Open);
        std::vector<Value_st> arguments;
        while (m_token != Token_en::Close) {
            if (m_token != Token_en::Quoted && m_token != Token_en::Reference && m_token != Token_en::Word)
                throw SyntaxError_st();
            arguments.push_back(m_token == Token_en::Word ? Value_st{String_cl(m_lexeme), {}} : ExpandText(m_lexeme, m_host));
            Next();
            if (m_token == Token_en::Comma) Next();
            else if (m_token != Token_en::Close) throw SyntaxError_st();
        }
        Next();
        if (arguments.size() != 1) throw SyntaxError_st();
        Truth_st t;
        if (!arguments[0].Known()) {
            t.decided = false;
            t.causes = arguments[0].causes;
            return FromTruth(t);
        }
        const String_cl argument = UnescapeMsBuild(arguments[0].text);
        if (Base_ns::EqualsNoCase(name, L"Exists")) {
            String_cl path = argument;
            while (!path.empty() && IsBlank(path.back())) path.pop_back();
            while (!path.empty() && IsBlank(path.front())) path.erase(0, 1);
            // Relative to the project's folder, wherever the condition is written.
            t.value = !path.empty() && m_host.Kind(FullPathIn(m_host.ProjectFolder(), path, false)) != PathKind_en::Missing;
        } else if (Base_ns::EqualsNoCase(name, L"HasTrailingSlash")) {
            t.value = !argument.empty() && (argument.back() == L'\\' || argument.back() == L'/');
        } else {
            throw SyntaxError_st();
        }
        return FromTruth(t);
    }

    std::wstring_view m_text;
    ExpansionHost_cl& m_host;
    size_t m_pos = 0;
    Token_en m_token = Token_en::End;
    std::wstring_view m_lexeme;
};

} // namespace

ConditionResult_st EvaluateCondition(std::wstring_view condition, ExpansionHost_cl& host)
{
    ConditionResult_st result;
    bool blank = true;
    for (wchar_t c : condition) blank = blank && IsBlank(c);
    if (blank) return result;
    try {
        const Truth_st t = ConditionParser_cl(condition, host).Evaluate();
        result.holds = t.decided && t.value;
        result.decided = t.decided;
        result.causes = t.causes;
    } catch (const SyntaxError_st&) {
        result.holds = false;
        result.decided = false;
    }
    return result;
}

} // namespace Quorvane_ns
