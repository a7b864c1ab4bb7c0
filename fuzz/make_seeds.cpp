// Writes the seed corpora of the fuzz targets, made by the program's own writers, into DIR/<target>/.
#include "qv/QorInf.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

static void Put(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const fs::path root = argv[1];
    Put(root / "qorinf_fuzz", "plain", vis::QorInfText(7, "1111111111111111", 5, 3));
    Put(root / "qorinf_fuzz", "mask", vis::QorInfText(2, "10", 10, 1));
    Put(root / "qorinf_fuzz", "hex", "$1F\r\n0000000000000000\r\n -5\r\n+3\r\n\x1a");
    Put(root / "qorinf_fuzz", "lf", "7\n1\n5\n3\n");
    return 0;
}
