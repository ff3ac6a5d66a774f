// A leak planted on purpose in the layer's own path: the program's icon is
// decoded into an image, as LoadIconA does, and the image is dropped.
//
// The sanitizer run expects LeakSanitizer to report it, with qvDecodeIcon on
// the stack. A suppression in sanitizer.supp wide enough to hide it (a whole
// library such as libSDL2, which once allocated the image's memory) would
// hide our own leaks too, and turns that run red.
#include "platform/core/qv_dialog_internal.h"

#include <cstdio>
#include <string>

namespace {

const int programIconId = 32512;

// Kept in a global only until the pointer is dropped, so that no stale copy on
// the stack keeps the image reachable.
uint32_t *volatile planted = nullptr;

__attribute__((noinline)) bool decodeAndForgetTheIcon() {
    for (const QvIconResource &icon : qvProgramResources().icons) {
        if (icon.id != programIconId) continue;
        const QvEmbeddedFile *file = qvFindEmbeddedFile(icon.file.c_str());
        if (!file) return false;
        std::string error;
        QvImage image;
        bool decoded = qvDecodeIcon(file->bytes, file->size, &image, &error);
        planted = image.pixels;
        image = QvImage{};
        planted = nullptr;
        return decoded;
    }
    return false;
}

}  // namespace

int main() {
    if (!decodeAndForgetTheIcon()) {
        std::fprintf(stderr, "planted_leak: the program's icon %d could not be decoded\n", programIconId);
        return 1;
    }
    std::printf("planted_leak: one icon image dropped\n");
    return 0;
}
