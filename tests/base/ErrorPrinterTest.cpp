// The tests' own reporting of our error objects.
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include "tests/support/ErrorPrinter.h"

using namespace Base_ns;

namespace {

const ErrorEntry_st kTable[] = {{2, L"从日志文件中取得编译结果失败。"}, {102, L"命令行编译VC工程失败。"}};

// What the reporter prints for a failure reported while throwing() is handled.
template <class Throw>
std::string Reported(Throw throwing, const char* file = nullptr)
{
    std::ostringstream out;
    Test_ns::EscapedErrorReporter_cl reporter(out);
    try {
        throwing();
    } catch (...) {
        reporter.OnTestPartResult(::testing::TestPartResult(::testing::TestPartResult::kFatalFailure, file, -1,
                                                            "Unknown C++ exception thrown in the test body."));
    }
    return out.str();
}

} // namespace

TEST(ErrorPrinterTest, NamesKindRaiserCodeMessageNoteFileAndLine)
{
    SysError_cl sys(643, L"C:\\src\\app\\engine\\BuildRunner.cpp", L"MProjectPack_cl", 2, kTable, 2, L"C:\\日志\\a.log");
    EXPECT_EQ("SysError_cl raised by MProjectPack_cl: code 2 \"从日志文件中取得编译结果失败。\", "
              "note \"C:\\日志\\a.log\", at BuildRunner.cpp:643",
              Test_ns::Describe(sys));
    EXPECT_EQ(::testing::PrintToString(sys), Test_ns::Describe(sys));

    UserError_cl user(506, L"CompileProject.cpp", L"MProjectPack_cl", 102, kTable, 2, L"");
    EXPECT_EQ(0u, Test_ns::Describe(user).find("UserError_cl raised by MProjectPack_cl: code 102"));
    IO_ns::IOError_cl io(7, L"ContainerFile.cpp", L"ContainerFile_cl", 101, nullptr, 0, L"x");
    EXPECT_EQ(0u, Test_ns::Describe(io).find("IOError_cl raised by ContainerFile_cl: code 101"));
}

TEST(ErrorPrinterTest, EscapedErrorIsPrintedUnderGoogleTestsFailure)
{
    std::string printed = Reported([] {
        throw UserError_cl(506, L"CompileProject.cpp", L"MProjectPack_cl", 102, kTable, 2, L"");
    });
    EXPECT_EQ("The exception thrown: UserError_cl raised by MProjectPack_cl: code 102 \"命令行编译VC工程失败。\", "
              "note \"\", at CompileProject.cpp:506\n",
              printed);
}

TEST(ErrorPrinterTest, OtherExceptionsAndFailuresWithAPlaceAreLeftToGoogleTest)
{
    EXPECT_EQ("", Reported([] { throw std::runtime_error("not ours"); }));
    EXPECT_EQ("", Reported([] { throw SysError_cl(1, L"a.cpp", L"A_cl", 1, nullptr, 0, L""); }, "test.cpp"));
}
