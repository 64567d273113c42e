#include <QCoreApplication>

#include <gtest/gtest.h>

// Every test runs with a Qt application so that main-loop delivery works as in the program.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
