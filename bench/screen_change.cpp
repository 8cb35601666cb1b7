// Times how long the screen takes to answer keys: presses the keys through the X test extension
// and polls a rectangle of the root window until it differs from what it showed before (or, with
// --until, until it shows a picture saved earlier with --save again). Prints the seconds from the
// first key press to that picture. A caret's blinking is a few pixels: only more than `--pixels`
// changed pixels count (default 100).
//
// Usage: screen_change X Y WIDTH HEIGHT [--pixels N] [--save FILE | --until FILE] [KEY...]
//   KEY is an X key name with modifiers, as xdotool writes them: ctrl+a, Return, x.
// Built by bench/win32_dump_bench.sh with `c++ -O2 screen_change.cpp -lX11 -l:libXtst.so.6`.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// From the X test extension, whose header is not always installed with its library.
extern "C" int XTestFakeKeyEvent(Display* display, unsigned keycode, Bool press,
                                 unsigned long delay);

namespace {

Display* display = nullptr;
int left = 0, top = 0, width = 0, height = 0;

std::vector<unsigned long> Grab() {
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), left, top, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    std::vector<unsigned long> pixels;
    if (!image) return pixels;
    pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
    return pixels;
}

size_t Differing(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b) {
    if (a.size() != b.size()) return a.size() + b.size();
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
    return count;
}

unsigned Keycode(const std::string& name) {
    const KeySym symbol = XStringToKeysym(name.c_str());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
    if (!code) {
        std::fprintf(stderr, "screen_change: no key %s\n", name.c_str());
        std::exit(2);
    }
    return code;
}

// Presses "ctrl+shift+End": the modifiers down, the key down and up, the modifiers up.
void Press(const std::string& chord) {
    std::vector<unsigned> codes;
    std::stringstream parts(chord);
    for (std::string part; std::getline(parts, part, '+');) {
        if (part == "ctrl") part = "Control_L";
        if (part == "shift") part = "Shift_L";
        if (part == "alt") part = "Alt_L";
        codes.push_back(Keycode(part));
    }
    for (unsigned code : codes) XTestFakeKeyEvent(display, code, True, CurrentTime);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        XTestFakeKeyEvent(display, *code, False, CurrentTime);
    XFlush(display);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs(
            "usage: screen_change X Y WIDTH HEIGHT [--pixels N] [--save FILE | --until FILE]"
            " [KEY...]\n",
            stderr);
        return 2;
    }
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("screen_change: no X display\n", stderr);
        return 2;
    }
    left = std::atoi(argv[1]), top = std::atoi(argv[2]);
    width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    size_t pixels = 100;
    std::string save, until;
    std::vector<std::string> keys;
    for (int i = 5; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pixels" && i + 1 < argc)
            pixels = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--save" && i + 1 < argc)
            save = argv[++i];
        else if (arg == "--until" && i + 1 < argc)
            until = argv[++i];
        else
            keys.push_back(arg);
    }
    std::vector<unsigned long> reference = Grab();
    if (!save.empty()) {
        std::ofstream(save, std::ios::binary)
            .write(reinterpret_cast<const char*>(reference.data()),
                   static_cast<std::streamsize>(reference.size() * sizeof reference[0]));
        return 0;
    }
    if (!until.empty()) {
        std::ifstream in(until, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        reference.assign(reinterpret_cast<const unsigned long*>(bytes.data()),
                         reinterpret_cast<const unsigned long*>(bytes.data() + bytes.size()));
    }
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& key : keys) Press(key);
    for (;;) {
        const size_t changed = Differing(reference, Grab());
        if (until.empty() ? changed > pixels : changed <= pixels) break;
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(10)) {
            std::fputs("screen_change: no answer in 10 minutes\n", stderr);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", took.count());
    return 0;
}
