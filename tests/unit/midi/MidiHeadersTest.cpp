// The header rules every emulated driver applies, input buffers and output messages alike: which
// calls are refused with which code, and the flags each leaves.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/midi/MidiHeaders.h"

namespace pellum::midi {
namespace {

enum class Op { prepare, queue, unprepare };

TEST(MidiHeaders, RefuseAndMarkAlikeForEveryDriver) {
    constexpr auto in = HeaderUse::input;
    constexpr auto out = HeaderUse::output;
    constexpr std::uint32_t P = MHDR_PREPARED, Q = MHDR_INQUEUE, D = MHDR_DONE;
    struct Case {
        const char* what;
        HeaderUse use;
        Op op;
        std::uint32_t flags;
        bool data;
        std::uint32_t length;
        MMRESULT code;
        std::uint32_t flagsAfter;
        std::uint32_t recordedAfter;  // from 5
    };
    const Case cases[] = {
        {"a buffer is prepared", in, Op::prepare, 0, true, 8, MMSYSERR_NOERROR, P, 5},
        {"and again", in, Op::prepare, P, true, 8, MMSYSERR_NOERROR, P, 5},
        {"a buffer without data", in, Op::prepare, 0, false, 8, MMSYSERR_INVALPARAM, 0, 5},
        {"a buffer without room", in, Op::prepare, 0, true, 0, MMSYSERR_INVALPARAM, 0, 5},
        {"an empty message without data", out, Op::prepare, 0, false, 0, MMSYSERR_NOERROR, P, 5},
        {"a message without its data", out, Op::prepare, 0, false, 8, MMSYSERR_INVALPARAM, 0, 5},
        {"an unprepared buffer", in, Op::queue, 0, true, 8, MIDIERR_UNPREPARED, 0, 5},
        {"an unprepared message", out, Op::queue, 0, true, 8, MIDIERR_UNPREPARED, 0, 5},
        {"a returned buffer, emptied", in, Op::queue, P | D, true, 8, MMSYSERR_NOERROR, P | Q, 0},
        {"a sent message", out, Op::queue, P | D, true, 8, MMSYSERR_NOERROR, P | Q, 5},
        {"an empty message", out, Op::queue, P, false, 0, MMSYSERR_NOERROR, P | Q, 5},
        {"a queued buffer", in, Op::queue, P | Q, true, 8, MIDIERR_STILLPLAYING, P | Q, 5},
        {"a queued message", out, Op::queue, P | Q, true, 8, MIDIERR_STILLPLAYING, P | Q, 5},
        {"a buffer that lost its data", in, Op::queue, P, false, 8, MMSYSERR_INVALPARAM, P, 5},
        {"a message that lost its data", out, Op::queue, P, false, 8, MMSYSERR_INVALPARAM, P, 5},
        {"a queued header", in, Op::unprepare, P | Q, true, 8, MIDIERR_STILLPLAYING, P | Q, 5},
        {"a done header", out, Op::unprepare, P | D, true, 8, MMSYSERR_NOERROR, D, 5},
    };
    char data[8] = {};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MIDIHDR header{};
        header.lpData = c.data ? data : nullptr;
        header.dwBufferLength = c.length;
        header.dwBytesRecorded = 5;
        header.dwFlags = c.flags;
        const auto apply = [&](MIDIHDR* h, std::uint32_t size) {
            switch (c.op) {
                case Op::prepare:
                    return prepareHeader(h, size, c.use);
                case Op::queue:
                    return queueHeader(h, size, c.use);
                default:
                    return unprepareHeader(h, size);
            }
        };
        // No header, or a size that does not cover one, is refused before anything else.
        EXPECT_EQ(apply(nullptr, sizeof header), MMSYSERR_INVALPARAM);
        EXPECT_EQ(apply(&header, sizeof header - 1), MMSYSERR_INVALPARAM);
        EXPECT_EQ(header.dwFlags, c.flags);
        EXPECT_EQ(apply(&header, sizeof header), c.code);
        EXPECT_EQ(header.dwFlags, c.flagsAfter);
        EXPECT_EQ(header.dwBytesRecorded, c.recordedAfter);
        if (c.op == Op::queue && c.code == MMSYSERR_NOERROR) {
            returnHeader(&header);
            EXPECT_EQ(header.dwFlags, P | D);
        }
    }
}

}  // namespace
}  // namespace pellum::midi
