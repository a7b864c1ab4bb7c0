#include "gfx/JpegErrorTrap.h"

#include <cstring>

#include <jerror.h>

namespace vis::jpeg_detail {

namespace {

void TrapErrorExit(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    cinfo->err->format_message(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

// The warnings that say the entropy-coded data is damaged or cut short. The library would go on and fill the
// rest with grey; such a picture is reported as damaged instead, which also stops a damaged progressive file
// from being worked through scan after scan. Oddities around the markers (extra bytes, an unknown JFIF
// revision, a bad ICC marker) are harmless and only ignored. So is the end of the file as such: the library
// reads ahead and reports it even when only the end marker is missing; data that really ends too soon is
// reported again as soon as the decoder runs out of bits (JWRN_HIT_MARKER).
bool IsDamageWarning(int code) {
    switch (code) {
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
        return true;
    default:
        return false;
    }
}

void TrapEmitMessage(j_common_ptr cinfo, int msgLevel) {
    if (msgLevel >= 0) return; // trace messages
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    ++cinfo->err->num_warnings;
    if (trap->stopOnDamage && IsDamageWarning(cinfo->err->msg_code)) TrapErrorExit(cinfo);
}

void TrapOutputMessage(j_common_ptr) {} // nothing is ever printed

} // namespace

void InstallErrorTrap(ErrorTrap& trap, bool stopOnDamage) {
    jpeg_std_error(&trap.pub);
    trap.pub.error_exit = TrapErrorExit;
    trap.pub.emit_message = TrapEmitMessage;
    trap.pub.output_message = TrapOutputMessage;
    trap.message[0] = '\0';
    trap.stopOnDamage = stopOnDamage;
}

} // namespace vis::jpeg_detail
