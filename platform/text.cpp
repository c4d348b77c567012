#include "platform/text.h"

#include "platform/error.h"

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <iconv.h>

namespace {

constexpr char16_t noChar = 0xFFFF;
constexpr std::uint16_t noCode = 0xFFFF;
constexpr char32_t escapeBase = 0xDC00;

bool isTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// The code page as two lookup tables, taken once from the C library's
// converter. Codes are a byte (below 0x100) or lead << 8 | trail.
struct Tables {
    std::array<char16_t, 0x10000> decode;     // by code; noChar when unassigned
    std::array<std::uint16_t, 0x10000> encode; // by UTF-16 unit; noCode when none
};

std::size_t convert(iconv_t cd, const char *in, std::size_t inLength, char *out, std::size_t outSize)
{
    char *input = const_cast<char *>(in);
    char *output = out;
    std::size_t outLeft = outSize;
    if (iconv(cd, &input, &inLength, &output, &outLeft) == std::size_t(-1) || inLength != 0) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return 0;
    }
    return outSize - outLeft;
}

Tables makeTables()
{
    iconv_t toUtf16 = iconv_open("UTF-16LE", "CP932");
    iconv_t fromUtf16 = iconv_open("CP932", "UTF-16LE");
    if (toUtf16 == iconv_t(-1) || fromUtf16 == iconv_t(-1))
        qFatal("The C library cannot convert CP932 text");

    Tables t;
    t.decode.fill(noChar);
    t.encode.fill(noCode);
    auto decodeOne = [&](std::uint16_t code) {
        const char in[2] = {char(code >> 8), char(code)};
        const bool pair = code > 0xFF;
        char16_t unit;
        if (convert(toUtf16, pair ? in : in + 1, pair ? 2 : 1, reinterpret_cast<char *>(&unit), 2) == 2)
            t.decode[code] = unit;
    };
    for (unsigned b = 0; b < 0x100; ++b) {
        if (cp932::isLeadByte(b)) {
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
                if (isTrailByte(trail))
                    decodeOne(std::uint16_t(b << 8 | trail));
        } else {
            decodeOne(std::uint16_t(b));
        }
    }
    // Where several codes give one character, the converter knows which code
    // Windows writes back; it must decode to the same character.
    for (unsigned code = 0; code < 0x10000; ++code) {
        const char16_t unit = t.decode[code];
        if (unit == noChar || t.encode[unit] != noCode)
            continue;
        unsigned char out[2];
        const std::size_t n = convert(fromUtf16, reinterpret_cast<const char *>(&unit), 2,
                                      reinterpret_cast<char *>(out), 2);
        const unsigned preferred = n == 2 ? out[0] << 8 | out[1] : out[0];
        t.encode[unit] = std::uint16_t(n != 0 && t.decode[preferred] == unit ? preferred : code);
    }
    iconv_close(toUtf16);
    iconv_close(fromUtf16);
    return t;
}

const Tables &tables()
{
    static const Tables t = makeTables();
    return t;
}

std::uint16_t codeOf(char32_t ch)
{
    if (ch >= escapeBase && ch < escapeBase + 0x100)
        return std::uint16_t(ch - escapeBase);
    return ch < 0x10000 ? tables().encode[ch] : noCode;
}

// Calls f for each character; a lone surrogate (an escaped byte among them)
// is a character of its own.
template <typename F>
void forEachChar(QStringView text, F f)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t ch = text[i].unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ch = QChar::surrogateToUcs4(char16_t(ch), text[++i].unicode());
        f(ch);
    }
}

} // namespace

namespace cp932 {

QString toUnicode(std::string_view bytes)
{
    const Tables &t = tables();
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = charLength(bytes, i);
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const char16_t unit = t.decode[n == 2 ? lead << 8 | static_cast<unsigned char>(bytes[i + 1]) : lead];
        if (unit != noChar) {
            text.append(QChar(unit));
        } else {
            for (std::size_t k = i; k < i + n; ++k)
                text.append(QChar(char16_t(escapeBase + static_cast<unsigned char>(bytes[k]))));
        }
        i += n;
    }
    return text;
}

std::string fromUnicode(QStringView text)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()) * 2);
    forEachChar(text, [&](char32_t ch) {
        const std::uint16_t code = codeOf(ch);
        if (code == noCode) {
            bytes += '?';
            return;
        }
        if (code > 0xFF)
            bytes += char(code >> 8);
        bytes += char(code);
    });
    return bytes;
}

std::string fromUtf8(std::string_view utf8)
{
    return fromUnicode(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

bool canEncode(char32_t ch)
{
    return codeOf(ch) != noCode;
}

bool canEncode(QStringView text)
{
    bool all = true;
    forEachChar(text, [&](char32_t ch) { all = all && canEncode(ch); });
    return all;
}

std::size_t byteWidth(char32_t ch)
{
    const std::uint16_t code = codeOf(ch);
    return code == noCode ? 0 : code > 0xFF ? 2 : 1;
}

std::size_t byteWidth(QStringView text)
{
    std::size_t width = 0;
    forEachChar(text, [&](char32_t ch) { width += byteWidth(ch); });
    return width;
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t charLength(std::string_view text, std::size_t i)
{
    return i + 1 < text.size() && isLeadByte(text[i]) && isTrailByte(text[i + 1]) ? 2 : 1;
}

std::string_view cut(std::string_view text, std::size_t n)
{
    std::size_t end = 0;
    while (end < text.size() && end + charLength(text, end) <= n)
        end += charLength(text, end);
    return text.substr(0, end);
}

std::string foldCase(std::string_view text)
{
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); i += charLength(folded, i))
        folded[i] = asciiLower(folded[i]);
    return folded;
}

bool equalsCaseless(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t n = charLength(a, i);
        if (n == 2 ? a.substr(i, 2) != b.substr(i, 2) : asciiLower(a[i]) != asciiLower(b[i]))
            return false;
        i += n;
    }
    return true;
}

} // namespace cp932

int StrToInt(const std::string &text)
{
    static const std::string notAnInteger = cp932::fromUtf8("' は整数ではありません");
    const auto fail = [&]() -> int { throw EConvertError("'" + text + notAnInteger); };

    std::string_view s = text;
    s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
    for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (!s.starts_with(prefix))
            continue;
        const std::string_view digits = s.substr(prefix.size());
        std::uint32_t value;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (digits.empty() || digits.size() > 8 || error != std::errc() || end != digits.data() + digits.size())
            return fail();
        return int(value);
    }

    const bool negative = s.starts_with('-');
    if (negative || s.starts_with('+'))
        s.remove_prefix(1);
    std::uint32_t magnitude;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), magnitude);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || magnitude > 2147483647u)
        return fail();
    return negative ? -int(magnitude) : int(magnitude);
}

int LenientInt(std::string_view text)
{
    std::size_t i = std::min(text.find_first_not_of(" \t\n\v\f\r"), text.size());
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    // One past the largest magnitude is enough to know the result saturates.
    constexpr std::int64_t limit = 2147483648;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), limit);
    return int(negative ? -magnitude : std::min(magnitude, limit - 1));
}
