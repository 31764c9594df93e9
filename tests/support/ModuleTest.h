// A test fixture that loads the plug-in module once per test suite and drives it as the host does.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/krvx-host/Session.h"

namespace krvx {
namespace testing_support {

class ModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_session = new sim::Session(sim::SessionOptions{});
        ASSERT_TRUE(s_session->Start()) << s_session->Error();
    }
    static void TearDownTestSuite() {
        delete s_session;
        s_session = nullptr;
    }
    // Each test starts with no debug lines pending.
    void SetUp() override { s_session->TakeDebugLines(); }

    static int32_t Call(int32_t selector, intptr_t param1 = 0, intptr_t param2 = 0) {
        return s_session->Call(selector, param1, param2);
    }
    static std::vector<std::string> Lines() { return s_session->TakeDebugLines(); }

    static sim::Session* s_session;
};

}  // namespace testing_support
}  // namespace krvx
