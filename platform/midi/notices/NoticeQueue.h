// The notice queue a program without a window toolkit waits on: the hidden notice window on
// Windows, the notice pipe elsewhere. Both offer post(), setHandler(), dispatchPending() and
// waitForNotice(milliseconds).
#pragma once

#if defined(_WIN32)
#include "platform/midi/notices/HiddenNoticeWindow.h"
#else
#include "platform/midi/notices/NoticePipe.h"
#endif

namespace pellum::midi {

#if defined(_WIN32)
using NoticeQueue = HiddenNoticeWindow;
#else
using NoticeQueue = NoticePipe;
#endif

}  // namespace pellum::midi
