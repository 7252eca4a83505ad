// The JACK server as a gtest environment: it comes up once per test program (unless a server
// already answers) and goes down after its last test.
#include <gtest/gtest.h>

#include <memory>

#include "tests/integration/JackFixture.h"

namespace pellum::test {
namespace {

class JackServer : public ::testing::Environment {
public:
    void SetUp() override {
        // PipeWire runs are always on a server of their own, never on the desktop's.
        if (onPipeWire() || !jackServerRunning()) server_ = std::make_unique<TestJackServer>();
    }
    void TearDown() override { server_.reset(); }

private:
    std::unique_ptr<TestJackServer> server_;
};

[[maybe_unused]] ::testing::Environment* const kServer =
    ::testing::AddGlobalTestEnvironment(new JackServer);

}  // namespace
}  // namespace pellum::test
