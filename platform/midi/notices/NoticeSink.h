// Where the driver callback posts its notices: a queue whose receiving end runs the notice
// handling on the window thread. The Qt-free face of the notice window, so the device layer and
// its tests build without Qt.
#pragma once

#include <cstdint>
#include <functional>

namespace pellum::midi {

class NoticeSink {
public:
    using Handler = std::function<void(std::uint32_t code)>;

    virtual ~NoticeSink() = default;

    // Any thread, including the driver thread: never allocates, never locks, never blocks.
    virtual void post(std::uint32_t code) noexcept = 0;

    // Window thread: who handles the notices delivered from now on; an empty handler drops them.
    virtual void setHandler(Handler handler) = 0;
};

}  // namespace pellum::midi
