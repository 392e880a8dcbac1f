#include "win32_window.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace host {
namespace {

constexpr wchar_t kWindowClass[] = L"KorvelDemoWindow";

// Closing the window is reported as Escape, like the X11 window's delete message.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Win32Window::Win32Window(unsigned width, unsigned height, const char* title) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    RECT frame{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const std::string narrow = title ? title : "";
    const std::wstring wideTitle(narrow.begin(), narrow.end());
    HWND window = CreateWindowExW(0, kWindowClass, wideTitle.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    window_ = window;
}

Win32Window::~Win32Window() {
    if (window_) DestroyWindow(static_cast<HWND>(window_));
}

unsigned long Win32Window::nextKey() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (message.message == WM_KEYDOWN) return static_cast<unsigned long>(message.wParam);
    }
    return 0;
}

}  // namespace host
