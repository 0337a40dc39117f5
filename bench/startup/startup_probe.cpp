// Starts a program, waits until it maps a top-level window on the X server, and prints the time
// from the start of the process to that moment and the program's peak resident memory.
// Usage: startup_probe PROGRAM [ARGS...]   (DISPLAY must name a server without a window manager)
// Exit status: 0 with the figures; 2 when the X server refused the probe; 3 when the program ended
// without a window; 4 when no window came within a minute. The figures of a failed probe are none.
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "no X server at DISPLAY\n");
        return 2;
    }
    // Listen before the program starts, so that no map can be missed.
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double shownMs = -1;
    int status = 0;
    rusage usage{};
    bool ended = false;
    pollfd events{xcb_get_file_descriptor(x), POLLIN, 0};
    while (shownMs < 0 && !ended && !xcb_connection_has_error(x)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && shownMs < 0) {
                shownMs = std::chrono::duration<double, std::milli>(
                              std::chrono::steady_clock::now() - start)
                              .count();
            }
            std::free(event);
        }
        if (shownMs >= 0) {
            break;
        }
        // A program that cannot reach the X server itself ends without a window.
        ended = wait4(child, &status, WNOHANG, &usage) == child;
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(1)) {
            break;
        }
        poll(&events, 1, 20);
    }
    if (!ended) {
        if (shownMs >= 0) {
            // Let the first paint happen before the peak memory is read.
            usleep(300 * 1000);
        }
        kill(child, SIGTERM);
        wait4(child, &status, 0, &usage);
    }
    xcb_disconnect(x);
    if (shownMs < 0) {
        std::fprintf(
            stderr, ended ? "the program ended without a window\n" : "no window within a minute\n");
        return ended ? 3 : 4;
    }
    std::printf("%.1f %ld\n", shownMs, usage.ru_maxrss);
    return 0;
}
