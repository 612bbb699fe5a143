// Every GUI test program runs its tests inside one QApplication (offscreen platform).

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "lotward-ui-test";
        static char* argv[] = {name, nullptr};
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete app;
        app = nullptr;
    }

private:
    QApplication* app = nullptr;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
