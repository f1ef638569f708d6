#include "tests/support/StandinTrace.h"
#include <gtest/gtest.h>
#include "tests/support/TestSupport.h"

namespace Test_ns {

namespace {

bool ToNumber(const String_cl& text, uint64_t& value)
{
    value = 0;
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + uint64_t(c - L'0');
    }
    return true;
}

} // namespace

std::vector<StandinBuild_st> ReadStandinTrace(const String_cl& path)
{
    std::vector<StandinBuild_st> builds;
    const String_cl text = String_cl::FromUtf8(ReadBytes(path));
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L"\r\n", pos);
        if (end == String_cl::npos) {
            ADD_FAILURE() << "trace line without its end: " << String_cl(text.substr(pos)).ToUtf8();
            break;
        }
        std::vector<String_cl> f;
        for (size_t at = pos;;) {
            size_t tab = text.find(L'\t', at);
            if (tab == String_cl::npos || tab > end) tab = end;
            f.push_back(text.substr(at, tab - at));
            if (tab == end) break;
            at = tab + 1;
        }
        StandinBuild_st b;
        uint64_t process = 0;
        if (f.size() == 7 && ToNumber(f[2], b.start) && ToNumber(f[3], b.end) && ToNumber(f[4], process) &&
            b.start <= b.end && (f[5] == L"built" || f[5] == L"failed" || f[5] == L"up-to-date")) {
            b.project = f[0];
            b.configuration = f[1];
            b.process = static_cast<uint32_t>(process);
            b.outcome = f[5];
            b.asked = f[6];
            builds.push_back(b);
        } else {
            ADD_FAILURE() << "malformed trace line: " << String_cl(text.substr(pos, end - pos)).ToUtf8();
        }
        pos = end + 2;
    }
    return builds;
}

} // namespace Test_ns
