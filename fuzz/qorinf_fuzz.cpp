// The settings file reader over arbitrary bytes: it must deliver values or raise a conversion error, nothing else.
#include "qv/Errors.h"
#include "qv/QorInf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
struct Sink : vis::QorInfSink {
    void LastPictureNo(std::int32_t) override {}
    void EffectMask(std::string_view line) override {
        std::array<bool, vis::kEffectCount> on;
        on.fill(true);
        vis::ApplyEffectMask(line, on);
        if (vis::EffectMaskLine(on).size() != vis::kEffectCount) std::abort();
    }
    void ShowSeconds(std::int32_t) override {}
    void HideSeconds(std::int32_t) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Sink sink;
    try {
        vis::ReadQorInfText(std::string(reinterpret_cast<const char*>(data), size), sink);
    } catch (const vis::EConvertError&) {
    }
    return 0;
}
