// Writes the example firmware image: a 4 KiB file with a header, a version string, code bytes
// and a stored 16-bit checksum, laid out as the example script expects.
//
//   0000  7F 56 54 52       signature (0x7F "VTR")
//   0004  01 04             format version
//   0008  10 00             image length
//   000A  0F FD             last offset covered by the checksum
//   000C  00 10             offset of the version string
//   0010  "VANTREL FW 1.04 " version string, 16 characters
//   0020  ...               code bytes
//   0FFE  checksum          16-bit sum of the bytes 0000..0FFD, high byte first
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-example OUTPUT\n");
        return 2;
    }
    std::vector<uint8_t> image(0x1000, 0);
    const uint8_t header[] = {0x7F, 'V',  'T',  'R',  0x01, 0x04, 0x00, 0x00,
                              0x10, 0x00, 0x0F, 0xFD, 0x00, 0x10, 0x00, 0x00};
    std::memcpy(image.data(), header, sizeof header);
    std::memcpy(image.data() + 0x10, "VANTREL FW 1.04 ", 16);

    uint32_t state = 0x1234567;  // a fixed seed: the file is the same on every machine
    for (size_t i = 0x20; i < 0xFFE; ++i) {
        state = state * 1103515245u + 12345u;
        image[i] = static_cast<uint8_t>(state >> 16);
    }
    uint16_t sum = 0;
    for (size_t i = 0; i <= 0xFFD; ++i) sum = static_cast<uint16_t>(sum + image[i]);
    image[0xFFE] = static_cast<uint8_t>(sum >> 8);
    image[0xFFF] = static_cast<uint8_t>(sum);

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    bool ok = std::fwrite(image.data(), 1, image.size(), out) == image.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok) std::perror(argv[1]);
    return ok ? 0 : 1;
}
