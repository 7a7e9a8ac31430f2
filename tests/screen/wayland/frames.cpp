// Every frame a Wayland compositor shows, for the on-screen tests: wlroots' screen copy protocol
// asks for the output's next frame as soon as the last one is in, and the colours of the given
// screen pixels in each frame are printed with the time the compositor showed it.
//   frames X Y [X Y ...]
// Prints one line per frame, from the first on, until standard input ends:
//   SHOWN ASKED RRGGBB RRGGBB ...
// SHOWN is when the compositor showed the frame, ASKED when it had taken the request for it
// (a round trip after it was sent), both in microseconds of the monotonic clock. While the
// copier keeps pace, wlroots shows a new frame only on its refresh timer, and the next one a
// refresh later: a frame asked for within a refresh of the last is the very next one.
#include "screencopy-client.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <wayland-client.h>

namespace {

// wl_shm's formats, as 32-bit words in memory order on a little-endian machine.
constexpr std::uint32_t argb8888 = 0;
constexpr std::uint32_t xrgb8888 = 1;
constexpr std::uint32_t abgr8888 = 0x34324241;
constexpr std::uint32_t xbgr8888 = 0x34324258;
constexpr std::uint32_t yInvert = 1;

std::uint64_t microseconds(std::uint64_t seconds, std::uint64_t nanoseconds) {
    return seconds * 1000000 + nanoseconds / 1000;
}

std::uint64_t now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return microseconds(static_cast<std::uint64_t>(time.tv_sec),
                        static_cast<std::uint64_t>(time.tv_nsec));
}

struct Capture {
    wl_display* display = nullptr;
    wl_shm* shm = nullptr;
    wl_output* output = nullptr;
    zwlr_screencopy_manager_v1* manager = nullptr;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> points;
    zwlr_screencopy_frame_v1* frame = nullptr;
    wl_buffer* buffer = nullptr;
    unsigned char* pixels = nullptr;
    std::size_t bytes = 0;
    std::uint32_t format = 0, width = 0, height = 0, stride = 0, flags = 0;
    std::uint64_t asked = 0;
    bool ready = false;
    bool failed = false;
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
    auto* capture = static_cast<Capture*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0)
        capture->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0 && capture->output == nullptr)
        capture->output =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
    else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0)
        capture->manager = static_cast<zwlr_screencopy_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener = {global, globalRemove};

// A buffer of shared memory the compositor copies each frame into; made once, at the first
// frame's size.
bool makeBuffer(Capture& capture) {
    capture.bytes = std::size_t{capture.stride} * capture.height;
    int fd = memfd_create("frames", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(capture.bytes)) != 0)
        return false;
    void* mapped = mmap(nullptr, capture.bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        close(fd);
        return false;
    }
    capture.pixels = static_cast<unsigned char*>(mapped);
    wl_shm_pool* pool =
        wl_shm_create_pool(capture.shm, fd, static_cast<std::int32_t>(capture.bytes));
    capture.buffer =
        wl_shm_pool_create_buffer(pool, 0, static_cast<std::int32_t>(capture.width),
                                  static_cast<std::int32_t>(capture.height),
                                  static_cast<std::int32_t>(capture.stride), capture.format);
    wl_shm_pool_destroy(pool);
    close(fd);
    return true;
}

// The compositor has handled the copy request: the frame it copies is none older than now.
void taken(void* data, wl_callback* callback, std::uint32_t) {
    static_cast<Capture*>(data)->asked = now();
    wl_callback_destroy(callback);
}

const wl_callback_listener takenListener = {taken};

void buffer(void* data, zwlr_screencopy_frame_v1* frame, std::uint32_t format, std::uint32_t width,
            std::uint32_t height, std::uint32_t stride) {
    auto* capture = static_cast<Capture*>(data);
    if (capture->buffer != nullptr) {
        if (format != capture->format || width != capture->width || height != capture->height ||
            stride != capture->stride) {
            std::fprintf(stderr, "frames: the output changed its size or format\n");
            std::exit(1);
        }
    } else {
        if (format != argb8888 && format != xrgb8888 && format != abgr8888 && format != xbgr8888) {
            std::fprintf(stderr, "frames: the compositor offers format 0x%x\n", format);
            std::exit(1);
        }
        for (auto [x, y] : capture->points) {
            if (x >= width || y >= height) {
                std::fprintf(stderr, "frames: pixel %u, %u is off the %ux%u output\n", x, y, width,
                             height);
                std::exit(1);
            }
        }
        capture->format = format;
        capture->width = width;
        capture->height = height;
        capture->stride = stride;
        if (!makeBuffer(*capture)) {
            std::fprintf(stderr, "frames: no shared memory: %s\n", std::strerror(errno));
            std::exit(1);
        }
    }
    zwlr_screencopy_frame_v1_copy(frame, capture->buffer);
    wl_callback* taken = wl_display_sync(capture->display);
    wl_callback_add_listener(taken, &takenListener, capture);
}

void flags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t value) {
    static_cast<Capture*>(data)->flags = value;
}

void ready(void* data, zwlr_screencopy_frame_v1*, std::uint32_t secondsHigh,
           std::uint32_t secondsLow, std::uint32_t nanoseconds) {
    auto* capture = static_cast<Capture*>(data);
    std::uint64_t seconds = (std::uint64_t{secondsHigh} << 32) | secondsLow;
    std::printf("%llu %llu", static_cast<unsigned long long>(microseconds(seconds, nanoseconds)),
                static_cast<unsigned long long>(capture->asked));
    bool rgbOrder = capture->format == abgr8888 || capture->format == xbgr8888;
    for (auto [x, y] : capture->points) {
        std::uint32_t row = (capture->flags & yInvert) ? capture->height - 1 - y : y;
        const unsigned char* p = capture->pixels + std::size_t{row} * capture->stride + 4 * x;
        unsigned red = rgbOrder ? p[0] : p[2], blue = rgbOrder ? p[2] : p[0];
        std::printf(" %02x%02x%02x", red, unsigned{p[1]}, blue);
    }
    std::printf("\n");
    capture->ready = true;
}

void failed(void* data, zwlr_screencopy_frame_v1*) {
    static_cast<Capture*>(data)->failed = true;
}

const zwlr_screencopy_frame_v1_listener frameListener = {buffer, flags, ready, failed};

} // namespace

int main(int argc, char* argv[]) {
    Capture capture;
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: frames X Y [X Y ...]\n");
        return 2;
    }
    for (int i = 1; i < argc; i += 2)
        capture.points.emplace_back(std::strtoul(argv[i], nullptr, 10),
                                    std::strtoul(argv[i + 1], nullptr, 10));
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "frames: no Wayland display\n");
        return 1;
    }
    capture.display = display;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &capture);
    wl_display_roundtrip(display);
    if (capture.shm == nullptr || capture.output == nullptr || capture.manager == nullptr) {
        std::fprintf(stderr, "frames: the compositor offers no output or no screen copy\n");
        return 1;
    }
    bool input = true;
    while (input) {
        if (capture.frame == nullptr) {
            capture.frame =
                zwlr_screencopy_manager_v1_capture_output(capture.manager, 0, capture.output);
            zwlr_screencopy_frame_v1_add_listener(capture.frame, &frameListener, &capture);
        }
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);
        pollfd fds[] = {{wl_display_get_fd(display), POLLIN, 0}, {0, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            wl_display_cancel_read(display);
            return 1;
        }
        if (fds[0].revents & POLLIN)
            wl_display_read_events(display);
        else
            wl_display_cancel_read(display);
        if (wl_display_dispatch_pending(display) < 0) {
            std::fprintf(stderr, "frames: the compositor went away\n");
            return 1;
        }
        if (capture.failed) {
            std::fprintf(stderr, "frames: the compositor could not copy a frame\n");
            return 1;
        }
        if (capture.ready) {
            // The next frame is asked for at once: the sooner, the less can come between.
            zwlr_screencopy_frame_v1_destroy(capture.frame);
            capture.frame = nullptr;
            capture.ready = false;
            std::fflush(stdout);
        }
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char chunk[256];
            input = read(0, chunk, sizeof chunk) > 0;
        }
    }
    wl_display_disconnect(display);
    return 0;
}
