#include "core/settings/interface_texts.h"

namespace kelvor::settings {

namespace {

// The list is in the order of the names, so a name is its own index.
constexpr bool in_order() {
    int index = 0;
    for (const TextPair& pair : interface_texts)
        if (static_cast<int>(pair.id) != index++) return false;
    return true;
}
static_assert(in_order());

} // namespace

const char* text_in(Text id, bool german) {
    const TextPair& pair = interface_texts[static_cast<int>(id)];
    return german ? pair.german : pair.english;
}

std::string text_in(Text id, bool german, std::initializer_list<std::string_view> values) {
    const std::string_view pattern = text_in(id, german);
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto value = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && value < values.size()) {
            out += values.begin()[value];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace kelvor::settings
