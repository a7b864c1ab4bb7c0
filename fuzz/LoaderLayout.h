#pragma once
// The input layout of loader_fuzz, shared with the seed writer:
//   byte 0   flags: 1 qor_title, 2 qor_random, 4 qor_gray, 8 qor_sepia, 16 install.exe, bits 5-6 loads - 1
//   byte 1   line 1 of qor_inf: below 200 it is byte % 16 - 2, otherwise one of the 32-bit extremes
//   byte 2   the run's random seed
//   3 .. 14  what qor_0 .. qor_11 are (byte % kKinds)
//   the rest the content of every entry of kind InputBytes
namespace vis::fuzz {

constexpr int kLoaderSlots = 12;

enum LoaderKind : int {
    Missing,
    Baseline,
    Progressive,
    Grey,
    OnePixel,
    LinkToPicture, // a symbolic link to a picture outside the folder
    CutInScan,     // damaged image data
    CutInHeader,   // not readable as a JPEG file
    Empty,
    BmpFile,
    HugeHeader, // claims 65500 x 65500
    Folder,
    Dangling,
    Loop,
    Pipe, // a named pipe: exists, but no picture file to read
    InputBytes,
    kKinds
};

} // namespace vis::fuzz
