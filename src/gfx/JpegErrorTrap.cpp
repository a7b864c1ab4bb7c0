#include "gfx/JpegErrorTrap.h"

namespace vis::jpeg_detail {

namespace {

void TrapErrorExit(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    trap->code = cinfo->err->msg_code;
    cinfo->err->format_message(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

void TrapOutputMessage(j_common_ptr) {} // nothing is ever printed

} // namespace

void InstallErrorTrap(ErrorTrap& trap) {
    jpeg_std_error(&trap.pub);
    trap.pub.error_exit = TrapErrorExit;
    trap.pub.output_message = TrapOutputMessage;
    trap.message[0] = '\0';
    trap.code = 0;
}

} // namespace vis::jpeg_detail
