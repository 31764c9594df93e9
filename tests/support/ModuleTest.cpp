#include "tests/support/ModuleTest.h"

namespace krvx {
namespace testing_support {

sim::Session* ModuleTest::s_session = nullptr;

}  // namespace testing_support
}  // namespace krvx
