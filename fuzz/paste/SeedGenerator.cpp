// Seeds for the paste harness: a few screens with fields of each type and
// texts with line breaks, tabs and protected areas.
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Write(const std::string& folder, int index, const std::vector<unsigned char>& bytes) {
    const std::string path = folder + "/seed" + std::to_string(index);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

std::vector<unsigned char> Seed(unsigned char shape, std::vector<unsigned char> fields,
                                std::vector<unsigned char> tail, const std::string& text) {
    std::vector<unsigned char> out{shape};
    out.insert(out.end(), fields.begin(), fields.end());
    out.insert(out.end(), tail.begin(), tail.end());
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string folder = argv[1];
    // shape, then per field: row, column, ffw1, ffw2, attribute, length;
    // then cursor row, cursor column, flags, tab width.
    Write(folder, 1, Seed(2, {4, 9, 0x40, 0x00, 0x20, 20, 5, 9, 0x47, 0x00, 0x20, 6},
                          {4, 10, 0, 4}, "ab\r\ncd\tef\r\n123"));
    Write(folder, 2, Seed(0x43, {23, 70, 0x45, 0x45, 0x27, 10, 3, 1, 0x60, 0x00, 0x20, 200,
                                 10, 10, 0x41, 0xA8, 0x20, 5},
                          {23, 79, 1, 0xFF}, "Zz\t\t9-\xF1\xF2\xF3\xF4"));
    Write(folder, 3, Seed(0x81, {26, 120, 0x43, 0x06, 0x20, 30}, {26, 121, 2, 8},
                          std::string(300, '7') + "\r"));
    return 0;
}
