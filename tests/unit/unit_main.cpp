#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    // Letters beyond ASCII are lowered and compared by the C library in the portable build.
    std::setlocale(LC_ALL, "C.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
