#pragma once
// libjpeg reports errors through a callback that must not return. The trap turns them into a longjmp back to
// the setjmp of the function that made the libjpeg call. Those functions hold no C++ objects with destructors
// (the jump would skip them), so each libjpeg phase lives in its own plain function that returns a status.
#include <csetjmp>
#include <cstdio> // jpeglib.h needs size_t and FILE declared first

#include <jpeglib.h>

namespace vis::jpeg_detail {

struct ErrorTrap {
    jpeg_error_mgr pub; // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int code; // libjpeg's message code of the error
};

// Routes the object's errors into trap->jump. Warnings are counted as the library's default handler counts
// them and otherwise ignored, so damaged data decodes as the library's own tools decode it; nothing is printed.
void InstallErrorTrap(ErrorTrap& trap);

} // namespace vis::jpeg_detail
