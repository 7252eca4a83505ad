// The test server must come up on a machine whose JACK registry is full of servers that were
// killed without a word, as interrupted test runs leave it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "tests/integration/JackFixture.h"

namespace pellum::test {
namespace {

using namespace std::chrono_literals;

// Starts jackd under `name` and waits until it answers; nothing when it gave up.
std::unique_ptr<ChildProcess> startServer(const std::string& name) {
    ::setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    return launchServer(jackdCommand(name), "/tmp/" + name + ".log", jackServerRunning, 20s);
}

TEST(JackRegistryTest, TestServerComesUpOverATableFullOfDeadServers) {
    if (anyJackdRunning()) GTEST_SKIP() << "a jackd runs here; its registry entry is live";
    const std::string prefix = "pellum-stale-" + std::to_string(::getpid()) + "-";
    int killed = 0;
    for (; killed < 8; ++killed) {
        auto server = startServer(prefix + std::to_string(killed));
        if (!server) break;  // the table was already part full of dead entries
        ::kill(server->pid(), SIGKILL);
        EXPECT_NE(server->wait(5s), -1);
    }
    ASSERT_FALSE(startServer(prefix + "one-more")) << "the registry was not full";

    std::unique_ptr<TestJackServer> server;
    ASSERT_NO_THROW(server = std::make_unique<TestJackServer>());
    EXPECT_EQ(std::getenv("JACK_DEFAULT_SERVER"), server->name());
    EXPECT_TRUE(jackServerRunning());
}

}  // namespace
}  // namespace pellum::test
