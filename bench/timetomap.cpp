// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

// Usage: timetomap PROGRAM [ARGS...]
//
// Starts PROGRAM on $DISPLAY and prints, on one line, the microseconds from
// starting it to the first top-level window the X server maps, and the peak
// resident memory of the process in KiB. Then it ends the program and exits 0.
// The server reports the map as an event, so no polling skews the time; the
// peak memory comes from the kernel's rusage for the reaped child. Meant for a
// server without a window manager, where the program's windows are children
// of the root window.

#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int timeoutMs = 20000;

long long nowUs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
}

// Waits for a MapNotify on the root window; returns its time, or -1 if the
// child exited first or the time ran out.
long long waitForMap(Display *display, pid_t child)
{
    const long long deadline = nowUs() + timeoutMs * 1000LL;
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify)
                return nowUs();
        }
        if (waitpid(child, nullptr, WNOHANG) != 0) {
            std::fprintf(stderr, "timetomap: the program exited before showing a window\n");
            return -1;
        }
        const long long left = deadline - nowUs();
        if (left <= 0) {
            std::fprintf(stderr, "timetomap: no window within %d ms\n", timeoutMs);
            return -1;
        }
        // Wake at least every 50 ms to notice a child that died.
        poll(&connection, 1, static_cast<int>(left / 1000 < 50 ? left / 1000 + 1 : 50));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: timetomap PROGRAM [ARGS...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "timetomap: cannot open display '%s'\n", XDisplayName(nullptr));
        return 2;
    }
    // Subscribe before the child starts, so its map cannot be missed.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const long long start = nowUs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("timetomap: fork");
        return 2;
    }
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[1], argv + 1);
        std::fprintf(stderr, "timetomap: cannot run %s: %s\n", argv[1], std::strerror(errno));
        _exit(127);
    }

    const long long mapped = waitForMap(display, child);
    kill(child, SIGKILL);
    int status = 0;
    rusage usage = {};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    XCloseDisplay(display);
    if (mapped < 0)
        return 1;
    std::printf("%lld %ld\n", mapped - start, usage.ru_maxrss);
    return 0;
}
