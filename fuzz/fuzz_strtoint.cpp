// The disc identity's integer conversion and the lenient read, against small
// models written from their documented forms.
#include "fuzz/support.h"
#include "platform/error.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigit(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Leading spaces, then a sign and decimal digits within +-2147483647, or a
// hexadecimal prefix and one to eight hexadecimal digits read as 32 bits.
std::optional<int> strToIntModel(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (!s.starts_with(prefix))
            continue;
        s.remove_prefix(prefix.size());
        if (s.empty() || s.size() > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (char c : s) {
            if (hexDigit(c) < 0)
                return std::nullopt;
            value = value << 4 | std::uint32_t(hexDigit(c));
        }
        return static_cast<int>(value);
    }
    const bool negative = s.starts_with('-');
    if (negative || s.starts_with('+'))
        s.remove_prefix(1);
    if (s.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : s) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483647)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

// White space, a sign, digits up to the first other byte; saturated.
int lenientModel(std::string_view s)
{
    while (!s.empty() && std::string_view(" \t\n\v\f\r").find(s.front()) != std::string_view::npos)
        s.remove_prefix(1);
    const bool negative = s.starts_with('-');
    if (negative || s.starts_with('+'))
        s.remove_prefix(1);
    std::int64_t value = 0;
    for (; !s.empty() && isDigit(s.front()); s.remove_prefix(1))
        value = std::min<std::int64_t>(value * 10 + (s.front() - '0'), std::int64_t(1) << 32);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    static const std::string notAnInteger = cp932::fromUtf8("' は整数ではありません");

    std::optional<int> got;
    try {
        got = StrToInt(text);
    } catch (const EConvertError &error) {
        // The message is a C string: a NUL in the text ends it.
        require(error.what() == std::string(("'" + text + notAnInteger).c_str()), "StrToInt's message names the text");
    }
    require(got == strToIntModel(text), "StrToInt accepts exactly its documented forms");
    require(LenientInt(text) == lenientModel(text), "LenientInt reads as documented");
    return 0;
}
