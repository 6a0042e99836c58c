#include "modem/AnswerSearch.h"

#include "tavrin/TavrinEnums.h"

#include <array>

namespace tavrin::modem {
namespace {

struct FailureWord {
    std::string_view word;
    std::uint16_t result;
};

// The order decides when one text holds several words.
constexpr std::array kFailureWords{
    FailureWord{"NO CARRIER", MDM_RES_MODEM_RESP_NO_CARRIER},
    FailureWord{"ERROR", MDM_RES_MODEM_RESP_ERROR},
    FailureWord{"NO DIAL TONE", MDM_RES_MODEM_RESP_NO_DIAL_TONE},
    FailureWord{"NO DIALTONE", MDM_RES_MODEM_RESP_NO_DIAL_TONE},
    FailureWord{"BUSY", MDM_RES_MODEM_RESP_BUSY},
    FailureWord{"NO ANSWER", MDM_RES_MODEM_RESP_NO_ANSWER},
};

} // namespace

std::optional<std::uint16_t> searchAnswer(std::string_view text, std::string_view expected) {
    if (text.find(expected) != std::string_view::npos) {
        return 0;
    }
    for (const FailureWord& f : kFailureWords) {
        if (text.find(f.word) != std::string_view::npos) {
            return f.result;
        }
    }
    return std::nullopt;
}

} // namespace tavrin::modem
