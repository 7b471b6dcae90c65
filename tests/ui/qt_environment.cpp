// One QApplication for the whole test program, on the offscreen platform ctest selects.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

int argc = 1;
char name[] = "test_ui";
char* argv[] = {name, nullptr};

struct QtEnvironment : ::testing::Environment {
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }
    std::unique_ptr<QApplication> app;
};

[[maybe_unused]] const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
