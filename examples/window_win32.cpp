// host::Window on Win32: a window class of its own whose procedure queues
// key presses for nextKey, which pumps the thread's messages.
#include "window.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <deque>
#include <string>

namespace host {

struct Window::System {
    std::deque<int> keys;
};

namespace {

constexpr wchar_t kWindowClass[] = L"KorvelHostWindow";

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* system = reinterpret_cast<Window::System*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_KEYDOWN:
            if (system) system->keys.push_back(static_cast<int>(wParam));
            return 0;
        case WM_CLOSE:  // closing is the program's decision: reported as Escape
            if (system) system->keys.push_back(kKeyEscape);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

std::wstring wideTitle(const char* title) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, title, -1, nullptr, 0);
    if (units <= 1) return L"";
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, title, -1, wide.data(), units);
    wide.pop_back();  // the terminating null
    return wide;
}

}  // namespace

Window::Window(unsigned width, unsigned height, const char* title) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;  // the GL context keeps the window's device context
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered

    // The outer size whose client area is width x height.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    AdjustWindowRect(&frame, style, FALSE);
    HWND hwnd =
        CreateWindowExW(0, kWindowClass, wideTitle(title).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return;
    system_ = new System;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(system_));
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    handle_ = hwnd;
}

Window::~Window() {
    if (handle_) DestroyWindow(static_cast<HWND>(handle_));
    delete system_;
}

int Window::nextKey() {
    if (!system_) return 0;
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (system_->keys.empty()) return 0;
    const int key = system_->keys.front();
    system_->keys.pop_front();
    return key;
}

}  // namespace host
