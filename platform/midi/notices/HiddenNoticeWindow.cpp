// A message-only window whose procedure hands the posted notices to the handler.
#include "platform/midi/notices/HiddenNoticeWindow.h"

#include <windows.h>

#include <chrono>
#include <system_error>
#include <utility>

namespace pellum::midi {

namespace {

const char kClassName[] = "PellumNoticeWindow";

bool isNotice(UINT message) {
    return message >= HiddenNoticeWindow::kFirstCode && message <= HiddenNoticeWindow::kLastCode;
}

HINSTANCE thisModule() {
    // The module this code is linked into, which owns the window class, even inside a DLL.
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        kClassName, &module);
    return module;
}

}  // namespace

// The window procedure runs when some other message loop (a toolkit's) dispatches a notice; the
// handler set for such a loop must not throw, since an exception cannot cross the system's
// dispatch.
struct NoticeWindowProcedure {
    static LRESULT CALLBACK run(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (isNotice(message)) {
            auto* self =
                reinterpret_cast<HiddenNoticeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (self != nullptr) self->deliver(message);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

HiddenNoticeWindow::HiddenNoticeWindow() {
    const HINSTANCE module = thisModule();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &NoticeWindowProcedure::run;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kClassName;
    // Registered once per process; later windows find it there.
    if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "notice window class");
    }
    window_ =
        CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    if (window_ == nullptr) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "notice window");
    }
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HiddenNoticeWindow::~HiddenNoticeWindow() {
    // Notices still queued go with the window: DestroyWindow drops its posted messages.
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void HiddenNoticeWindow::post(std::uint32_t code) noexcept {
    // When the queue is full (10,000 messages), that many notices already wait, and a notice
    // carries no data, so losing this one loses nothing.
    if (isNotice(code)) PostMessageA(window_, code, 0, 0);
}

void HiddenNoticeWindow::setHandler(Handler handler) {
    handler_ = std::move(handler);
}

void HiddenNoticeWindow::deliver(std::uint32_t code) {
    // A copy, so that a handler may replace or clear the handler while it runs.
    if (Handler current = handler_) current(code);
}

std::size_t HiddenNoticeWindow::dispatchPending() {
    std::size_t handled = 0;
    MSG message;
    while (PeekMessageA(&message, window_, kFirstCode, kLastCode, PM_REMOVE)) {
        ++handled;
        deliver(message.message);
    }
    return handled;
}

bool HiddenNoticeWindow::waitForNotice(int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG message;
        if (PeekMessageA(&message, window_, kFirstCode, kLastCode, PM_NOREMOVE)) return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0) return false;
        // Wakes for any message posted to this thread, ours or not; the loop looks again.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_POSTMESSAGE,
                                    MWMO_INPUTAVAILABLE);
    }
}

}  // namespace pellum::midi
