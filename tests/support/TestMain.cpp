// main of every test program: GoogleTest's, plus the reporter that names an
// Error_cl escaping a test.
#include <gtest/gtest.h>
#include <iostream>
#include "tests/support/ErrorPrinter.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The listener list owns what is appended to it.
    ::testing::UnitTest::GetInstance()->listeners().Append(new Test_ns::EscapedErrorReporter_cl(std::cout));
    return RUN_ALL_TESTS();
}
