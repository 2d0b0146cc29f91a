// The floor of the views benchmark: the least a Win32 program must do to keep Brixtel's
// traffic going. One window whose 10 ms timer sends one read request per point over a
// connected UDP socket, and a receive thread that converts each answer from the OEM code
// page, copies it and posts it to the window, which frees it. Nothing is drawn. Brixtel's
// CPU is judged against this program's, run on the same machine at the same request rate,
// because under Wine the socket and message calls alone cost much of a core.
//
//   bench_floor.exe <port> <seconds> [points] [interval_ms]
//
// Prints "READY" once the first answer has arrived, and at the end how many requests went out
// and how many answers came back.
#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kEndTimer = 2;
constexpr int kReceiveBufferBytes = 64 * 1024; // a whole datagram, as Brixtel reads them
// Closing a socket does not always wake a thread blocked in recv under Wine; the receive
// thread looks at the stop flag this often when no answer comes.
constexpr DWORD kReceiveTimeoutMs = 200;

struct Floor {
    SOCKET socket = INVALID_SOCKET;
    int points = 50;
    unsigned long long sent = 0;
    unsigned long long send_failures = 0;
    unsigned long long answers = 0;
    bool ready_printed = false;
};

Floor g_floor;
std::atomic<bool> g_stopping{false};

// The request Brixtel composes for point `index`: reply window and request identifier as
// eight hex digits, PCU and module with two digits; loop 1, PCU 2, module 5, blocks from 1.
void send_requests(HWND window) {
    const auto reply_window = static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window));
    wchar_t request[128];
    char bytes[256];
    for (int index = 0; index < g_floor.points; ++index) {
        const int length =
            std::swprintf(request, 128, L"%08X,%08X read output %d %02d %02d %d", reply_window,
                          static_cast<unsigned>(index + 1), 1, 2, 5, index + 1);
        const int size = WideCharToMultiByte(CP_OEMCP, 0, request, length, bytes,
                                             static_cast<int>(sizeof bytes), nullptr, nullptr);
        if (size > 0 && send(g_floor.socket, bytes, size, 0) == size)
            ++g_floor.sent;
        else
            ++g_floor.send_failures;
    }
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TIMER:
        if (wparam == kPollTimer)
            send_requests(window);
        else if (wparam == kEndTimer)
            DestroyWindow(window);
        return 0;
    case WM_USER:
        delete[] reinterpret_cast<wchar_t*>(lparam);
        ++g_floor.answers;
        if (!g_floor.ready_printed) {
            g_floor.ready_printed = true;
            std::printf("READY\n");
            std::fflush(stdout);
        }
        return 0;
    case WM_DESTROY:
        KillTimer(window, kPollTimer);
        KillTimer(window, kEndTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

void receive_answers(SOCKET socket, HWND window) {
    std::vector<char> buffer(kReceiveBufferBytes);
    while (!g_stopping.load()) {
        const int got = recv(socket, buffer.data(), static_cast<int>(buffer.size()), 0);
        if (got < 0) {
            // A refused request (nobody listening yet) comes back as a reset.
            const int error = WSAGetLastError();
            if (error == WSAECONNRESET || error == WSAETIMEDOUT)
                continue;
            return;
        }
        const int chars = MultiByteToWideChar(CP_OEMCP, 0, buffer.data(), got, nullptr, 0);
        auto* text = new wchar_t[chars + 1];
        MultiByteToWideChar(CP_OEMCP, 0, buffer.data(), got, text, chars);
        text[chars] = L'\0';
        if (!PostMessageW(window, WM_USER, 0, reinterpret_cast<LPARAM>(text)))
            delete[] text;
    }
}

int positive_argument(wchar_t** arguments, int count, int index, int fallback) {
    if (index >= count)
        return fallback;
    const long value = std::wcstol(arguments[index], nullptr, 10);
    return value > 0 ? static_cast<int>(value) : -1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int port = positive_argument(argv, argc, 1, -1);
    const int seconds = positive_argument(argv, argc, 2, -1);
    g_floor.points = positive_argument(argv, argc, 3, 50);
    const int interval = positive_argument(argv, argc, 4, 10);
    if (port <= 0 || port > 65535 || seconds <= 0 || g_floor.points <= 0 || interval <= 0) {
        std::fprintf(stderr, "usage: bench_floor.exe <port> <seconds> [points] [interval_ms]\n");
        return 2;
    }

    WSADATA wsa{};
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        std::fprintf(stderr, "WSAStartup failed\n");
        return 1;
    }
    g_floor.socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<u_short>(port));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (g_floor.socket == INVALID_SOCKET ||
        connect(g_floor.socket, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
        std::fprintf(stderr, "cannot connect a UDP socket to 127.0.0.1:%d (error %d)\n", port,
                     WSAGetLastError());
        return 1;
    }

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = L"BrixtelBenchFloor";
    if (!RegisterClassW(&window_class))
        return 1;
    HWND window = CreateWindowExW(0, window_class.lpszClassName, L"Bench floor",
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 200,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) {
        std::fprintf(stderr, "cannot create the window (error %lu)\n", GetLastError());
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);

    const DWORD timeout = kReceiveTimeoutMs;
    setsockopt(g_floor.socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
    std::thread receiver(receive_answers, g_floor.socket, window);
    SetTimer(window, kPollTimer, static_cast<UINT>(interval), nullptr);
    SetTimer(window, kEndTimer, static_cast<UINT>(seconds) * 1000u, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    g_stopping.store(true);
    receiver.join();
    closesocket(g_floor.socket);
    // Answers still queued for the destroyed window are lost with the process; they were
    // counted by the simulator, not here.
    std::printf("FLOOR sent=%llu send_failures=%llu answers=%llu\n", g_floor.sent,
                g_floor.send_failures, g_floor.answers);
    std::fflush(stdout);
    WSACleanup();
    return 0;
}
