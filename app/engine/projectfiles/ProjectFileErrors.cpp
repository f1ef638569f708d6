#include "app/engine/projectfiles/ProjectFileErrors.h"
#include <iterator>

namespace Quorvane_ns {

namespace {

const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"工程文件中的值超出长度限制。"},
    {102, L"工程文件的求值超出工作量限制。"},
    {103, L"工程文件的嵌套层次超出限制。"},
};

} // namespace

Base_ns::UserError_cl ProjectFileError(int32_t code, int32_t line, const Base_ns::String_cl& note)
{
    return Base_ns::UserError_cl(line, L"ProjectFileReader", L"ProjectFileReader_cl", code, kUserErrors,
                                 static_cast<int>(std::size(kUserErrors)), note);
}

} // namespace Quorvane_ns
