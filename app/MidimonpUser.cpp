// TForm1's Receive tab, which shows who the instrument says it is, and its USER tab, which
// sends the dump requests of a .cfg file.
#include "app/Midimonp.h"

namespace pellum {

void TForm1::showIdentityReply(std::span<const std::uint8_t>) {
    // The reply decoder fills the System Information labels; it comes with the identity work.
}

}  // namespace pellum
