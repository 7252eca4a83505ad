// What an action throws, for a test that checks the message the user would read.
#pragma once

#include <string>

namespace pellum::test {

// The message of the `Error` that `action` throws, or "" when it throws nothing; any other
// exception goes on to the test, which fails.
template <typename Error, typename Action>
std::string thrownText(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

}  // namespace pellum::test
