// Prints what the X pointer looks like now, as "width height xhot yhot checksum", for
// the tests that check which cursor a window of the launcher shows.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>
#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("cursor_probe: no display\n", stderr);
        return 1;
    }
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) {
        std::fputs("cursor_probe: no cursor image\n", stderr);
        return 1;
    }
    uint64_t checksum = 1469598103934665603u;
    for (int i = 0; i < image->width * image->height; ++i) {
        checksum =
            (checksum ^ static_cast<uint64_t>(image->pixels[i] & 0xFFFFFFFFu)) * 1099511628211u;
    }
    std::printf("%d %d %d %d %llx\n", image->width, image->height, image->xhot, image->yhot,
                static_cast<unsigned long long>(checksum));
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
